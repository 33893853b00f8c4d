#pragma once
// The splash window shown between start-up and the login.
#include <QWidget>
#include <chrono>
#include <functional>

namespace tolvaris {

class TFrmStart : public QWidget {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kShowTime{1500};
    static constexpr QSize kSize{419, 269};

    explicit TFrmStart(QWidget *parent = nullptr);

    // Creates a splash, shows it centred on the screen, lets it paint, runs
    // `meanwhile` (start-up work the splash hides), keeps it up until
    // `duration` has passed since it appeared and closes it.
    static void showSplash(std::chrono::milliseconds duration = kShowTime,
                           const std::function<void()> &meanwhile = {});

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tolvaris
