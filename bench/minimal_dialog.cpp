// The smallest Qt program that shows one dialog: the baseline of the
// start-up benchmark. With --chinese the dialog carries one line of Chinese
// text, so that both programs pay for loading the CJK font.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QVBoxLayout>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QDialog d;
    d.setWindowTitle(QStringLiteral("minimal-dialog"));
    if (app.arguments().contains(QStringLiteral("--chinese")))
        (new QVBoxLayout(&d))->addWidget(new QLabel(QStringLiteral("用户登陆"), &d));
    d.resize(300, 200);
    d.show();
    return app.exec();
}
