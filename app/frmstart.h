#pragma once
// The splash window shown between start-up and the login.
#include <QWidget>
#include <chrono>

namespace tolvaris {

class TFrmStart : public QWidget {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kShowTime{1500};
    static constexpr QSize kSize{419, 269};

    explicit TFrmStart(QWidget *parent = nullptr);

    // Creates a splash, shows it centred on the screen, lets it paint, keeps
    // it up for `duration` and closes it.
    static void showSplash(std::chrono::milliseconds duration = kShowTime);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tolvaris
