#pragma once
// The About window: the product name over the pen picture, the date of the
// last update, and one button.
#include "context.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace tolvaris {

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    TFrmAbout(const Context &ctx, QWidget *parent);

    QLabel *Image1 = nullptr;       // the picture
    QLabel *Label1 = nullptr;       // last update
    QPushButton *Button1 = nullptr; // 确认

    // The picture: the pen with the product name drawn over it.
    static QPixmap picture(const QSize &size, qreal dpr);

private:
    Context ctx_;
};

} // namespace tolvaris
