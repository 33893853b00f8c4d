#include "services.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>

namespace tolvaris {

QMessageBox::Icon messageIcon(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Question: return QMessageBox::Question;
    case MessageKind::Error: return QMessageBox::Critical;
    case MessageKind::Information: break;
    }
    return QMessageBox::Information;
}

QMessageBox::StandardButtons messageButtons(MessageKind kind)
{
    return kind == MessageKind::Question ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok;
}

QString messageDisplayText(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

// ------------------------------------------------------------- messages

std::unique_ptr<QMessageBox> QtMessageService::makeBox(MessageKind kind, QWidget *parent, const QString &title,
                                                       const QString &text)
{
    auto box = std::make_unique<QMessageBox>(messageIcon(kind), title, messageDisplayText(text),
                                             messageButtons(kind), parent);
    // Names and values may contain "<": never read a message as rich text.
    box->setTextFormat(Qt::PlainText);
    box->setDefaultButton(QMessageBox::Ok);
    if (kind == MessageKind::Question) box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

void QtMessageService::information(QWidget *parent, const QString &title, const QString &text)
{
    makeBox(MessageKind::Information, parent, title, text)->exec();
}

bool QtMessageService::question(QWidget *parent, const QString &title, const QString &text)
{
    return makeBox(MessageKind::Question, parent, title, text)->exec() == QMessageBox::Ok;
}

void QtMessageService::error(QWidget *parent, const QString &title, const QString &text)
{
    makeBox(MessageKind::Error, parent, title, text)->exec();
}

// ---------------------------------------------------------------- files

namespace {
QString bareExtension(const QString &ext)
{
    QString e = ext.trimmed();
    while (e.startsWith(QLatin1Char('.'))) e.remove(0, 1);
    return e;
}
} // namespace

QString withDefaultExtension(const QString &path, const QString &defaultExtension)
{
    const QString ext = bareExtension(defaultExtension);
    if (path.isEmpty() || ext.isEmpty()) return path;
    const QString name = QFileInfo(path).fileName();
    // "report." has an (empty) extension the user typed on purpose: keep it.
    if (name.contains(QLatin1Char('.'))) return path;
    return path + QLatin1Char('.') + ext;
}

std::unique_ptr<QFileDialog> QtFileService::makeSaveDialog(QWidget *parent, const QString &title,
                                                           const QString &filter, const QString &proposedName,
                                                           const QString &defaultExtension)
{
    auto d = std::make_unique<QFileDialog>(parent, title, QString(), filter);
    // Qt's own dialog: the same suffix rule, overwrite question and Chinese
    // texts on every desktop.
    d->setOption(QFileDialog::DontUseNativeDialog, true);
    d->setAcceptMode(QFileDialog::AcceptSave);
    d->setFileMode(QFileDialog::AnyFile);
    d->setOption(QFileDialog::DontConfirmOverwrite, false);
    d->setDefaultSuffix(bareExtension(defaultExtension));
    if (!proposedName.isEmpty()) d->selectFile(proposedName);
    return d;
}

std::unique_ptr<QFileDialog> QtFileService::makeOpenDialog(QWidget *parent, const QString &title,
                                                           const QString &filter)
{
    auto d = std::make_unique<QFileDialog>(parent, title, QString(), filter);
    d->setOption(QFileDialog::DontUseNativeDialog, true);
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setFileMode(QFileDialog::ExistingFile);
    return d;
}

QString QtFileService::saveFile(QWidget *parent, const QString &title, const QString &filter,
                                const QString &proposedName, const QString &defaultExtension)
{
    auto d = makeSaveDialog(parent, title, filter, proposedName, defaultExtension);
    if (d->exec() != QDialog::Accepted) return {};
    const QStringList files = d->selectedFiles();
    return files.isEmpty() ? QString() : withDefaultExtension(files.first(), defaultExtension);
}

QString QtFileService::openFile(QWidget *parent, const QString &title, const QString &filter)
{
    auto d = makeOpenDialog(parent, title, filter);
    if (d->exec() != QDialog::Accepted) return {};
    const QStringList files = d->selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

// ------------------------------------------------------------ the rest

int ExecModalRunner::run(QDialog &dialog) { return dialog.exec(); }

Services productionServices()
{
    static QtMessageService messages;
    static QtFileService files;
    static ExecModalRunner modal;
    static SystemClock clock;
    return Services{&messages, &files, &modal, &clock};
}

} // namespace tolvaris
