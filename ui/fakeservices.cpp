#include "fakeservices.h"

#include <QDialog>

namespace tolvaris {

void FakeBase::record(const ServiceCall &c)
{
    calls.push_back(c);
    if (sharedLog) sharedLog->push_back(c);
    if (onCall) onCall(c);
}

// ------------------------------------------------------------- messages

namespace {
ServiceCall messageCall(ServiceCall::Kind kind, MessageKind look, QWidget *parent, const QString &title,
                        const QString &text)
{
    ServiceCall c;
    c.kind = kind;
    c.parent = parent;
    c.title = title;
    c.text = text;
    c.icon = messageIcon(look);
    c.buttons = messageButtons(look);
    return c;
}
} // namespace

void FakeMessages::information(QWidget *parent, const QString &title, const QString &text)
{
    ServiceCall c = messageCall(ServiceCall::Kind::Information, MessageKind::Information, parent, title, text);
    c.answer = QStringLiteral("OK");
    record(c);
}

bool FakeMessages::question(QWidget *parent, const QString &title, const QString &text)
{
    bool ok = defaultAnswer;
    if (!answers.empty()) {
        ok = answers.front();
        answers.pop_front();
    }
    ServiceCall c = messageCall(ServiceCall::Kind::Question, MessageKind::Question, parent, title, text);
    c.answer = ok ? QStringLiteral("OK") : QStringLiteral("Cancel");
    record(c);
    return ok;
}

void FakeMessages::error(QWidget *parent, const QString &title, const QString &text)
{
    ServiceCall c = messageCall(ServiceCall::Kind::Error, MessageKind::Error, parent, title, text);
    c.answer = QStringLiteral("OK");
    record(c);
}

std::vector<ServiceCall> FakeMessages::messages() const
{
    std::vector<ServiceCall> out;
    for (const auto &c : calls)
        if (c.kind == ServiceCall::Kind::Information || c.kind == ServiceCall::Kind::Question
            || c.kind == ServiceCall::Kind::Error)
            out.push_back(c);
    return out;
}

QStringList FakeMessages::texts() const
{
    QStringList out;
    for (const auto &m : messages()) out << m.title + QLatin1Char('|') + m.text;
    return out;
}

// ---------------------------------------------------------------- files

QString FakeFiles::saveFile(QWidget *parent, const QString &title, const QString &filter,
                            const QString &proposedName, const QString &defaultExtension)
{
    QString path = defaultSavePath;
    if (!savePaths.empty()) {
        path = savePaths.front();
        savePaths.pop_front();
    }
    path = withDefaultExtension(path, defaultExtension);
    ServiceCall c;
    c.kind = ServiceCall::Kind::SaveFile;
    c.parent = parent;
    c.title = title;
    c.filter = filter;
    c.proposedName = proposedName;
    c.defaultExtension = defaultExtension;
    c.answer = path;
    record(c);
    return path;
}

QString FakeFiles::openFile(QWidget *parent, const QString &title, const QString &filter)
{
    QString path = defaultOpenPath;
    if (!openPaths.empty()) {
        path = openPaths.front();
        openPaths.pop_front();
    }
    ServiceCall c;
    c.kind = ServiceCall::Kind::OpenFile;
    c.parent = parent;
    c.title = title;
    c.filter = filter;
    c.answer = path;
    record(c);
    return path;
}

// ---------------------------------------------------------------- modal

int FakeModalRunner::run(QDialog &dialog)
{
    ServiceCall c;
    c.kind = ServiceCall::Kind::Modal;
    c.parent = dialog.parentWidget();
    c.title = dialog.windowTitle();
    c.text = dialog.objectName();
    // Recorded before the script runs, so onCall sees the dialog as opened.
    Script script;
    if (!scripts.empty()) {
        script = std::move(scripts.front());
        scripts.pop_front();
    }
    const size_t at = calls.size();
    const size_t sharedAt = sharedLog ? sharedLog->size() : 0;
    record(c);
    const int result = script ? script(dialog) : defaultResult;
    dialog.setResult(result);
    calls[at].answer = QString::number(result);
    if (sharedLog && sharedAt < sharedLog->size()) (*sharedLog)[sharedAt].answer = calls[at].answer;
    return result;
}

FakeModalRunner::Script FakeModalRunner::acceptAfter(std::function<void(QDialog &)> fill)
{
    return [fill](QDialog &d) {
        if (fill) fill(d);
        d.accept();
        return int(QDialog::Accepted);
    };
}

FakeModalRunner::Script FakeModalRunner::rejectAfter(std::function<void(QDialog &)> fill)
{
    return [fill](QDialog &d) {
        if (fill) fill(d);
        d.reject();
        return int(QDialog::Rejected);
    };
}

FakeServices::FakeServices()
{
    messages.sharedLog = &log;
    files.sharedLog = &log;
    modal.sharedLog = &log;
}

} // namespace tolvaris
