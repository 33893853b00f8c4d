// tolvaris-db: creates an empty database, fills a demo database of a given
// size, or checks a file.
#include "database.h"
#include "demo.h"
#include "values.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <cstdio>

using namespace tolvaris;
using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

void out(const QString &line) { std::fputs((line + u'\n').toUtf8().constData(), stdout); }
void err(const QString &line) { std::fputs((line.simplified() + u'\n').toUtf8().constData(), stderr); }

int usage(const QString &problem = {})
{
    if (!problem.isEmpty()) err(problem);
    std::fputs("usage:\n"
               "  tolvaris-db init FILE [--user NAME --password P [--ordinary]]\n"
               "  tolvaris-db demo FILE --customers N --policies N [--seed S] [--today yyyy-MM-dd]\n"
               "  tolvaris-db check FILE\n",
               stderr);
    return kExitUsage;
}

// "--name value" pairs and bare "--flag" switches after the file argument.
struct Options {
    QHash<QString, QString> values;
    QStringList switches;
    QString problem;
};

Options parseOptions(const QStringList &args, const QStringList &valued, const QStringList &flags)
{
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (valued.contains(a)) {
            if (i + 1 >= args.size()) { o.problem = u"%1 needs a value"_s.arg(a); return o; }
            if (o.values.contains(a)) { o.problem = u"%1 given twice"_s.arg(a); return o; }
            o.values.insert(a, args[++i]);
        } else if (flags.contains(a)) {
            o.switches << a;
        } else {
            o.problem = u"unknown argument: %1"_s.arg(a);
            return o;
        }
    }
    return o;
}

void removeDatabaseFiles(const QString &path)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(suffix));
}

int runInit(const QString &path, const QStringList &args)
{
    const Options o = parseOptions(args, {u"--user"_s, u"--password"_s}, {u"--ordinary"_s});
    if (!o.problem.isEmpty()) return usage(o.problem);
    FirstUser user{u"admin"_s, u"admin"_s, true};
    const bool named = o.values.contains(u"--user"_s);
    if (named != o.values.contains(u"--password"_s)) return usage(u"--user and --password go together"_s);
    if (o.switches.contains(u"--ordinary"_s) && !named) return usage(u"--ordinary needs --user"_s);
    if (named) {
        user.name = o.values.value(u"--user"_s);
        user.password = o.values.value(u"--password"_s);
        user.advanced = !o.switches.contains(u"--ordinary"_s);
        if (user.name.trimmed().isEmpty()) return usage(u"the user name is empty"_s);
    }
    try {
        createDatabase(path, user);
    } catch (const DbError &e) {
        err(e.message());
        return kExitFailed;
    }
    out(u"已创建数据库：%1（用户 %2，%3）"_s.arg(path, user.name, user.advanced ? u"高级用户"_s : u"普通用户"_s));
    return 0;
}

int runDemo(const QString &path, const QStringList &args)
{
    const Options o =
        parseOptions(args, {u"--customers"_s, u"--policies"_s, u"--seed"_s, u"--today"_s}, {});
    if (!o.problem.isEmpty()) return usage(o.problem);
    DemoOptions d;
    bool ok = false;
    d.customers = o.values.value(u"--customers"_s).toInt(&ok);
    if (!ok || d.customers < 0) return usage(u"--customers needs a whole number of 0 or more"_s);
    d.policies = o.values.value(u"--policies"_s).toInt(&ok);
    if (!ok || d.policies < 0) return usage(u"--policies needs a whole number of 0 or more"_s);
    if (o.values.contains(u"--seed"_s)) {
        d.seed = o.values.value(u"--seed"_s).toULongLong(&ok);
        if (!ok) return usage(u"--seed needs a whole number"_s);
    }
    d.today = QDate::currentDate();
    if (o.values.contains(u"--today"_s)) {
        d.today = QDate::fromString(o.values.value(u"--today"_s), kDateFormat);
        if (!d.today.isValid()) return usage(u"--today needs a date yyyy-MM-dd"_s);
    }

    std::unique_ptr<Connection> c;
    try {
        c = createDatabase(path, {u"admin"_s, u"admin"_s, true});
    } catch (const DbError &e) {
        err(e.message());
        return kExitFailed;
    }
    try {
        // A new file has nothing to protect: keep the rollback journal in
        // memory and skip syncs while it fills, then return to WAL like a
        // database made by init.
        c->exec(u"PRAGMA journal_mode=MEMORY"_s);
        c->exec(u"PRAGMA synchronous=OFF"_s);
        c->exec(u"PRAGMA cache_size=-262144"_s);
        const DemoCounts n = fillDemo(*c, d);
        c->exec(u"PRAGMA journal_mode=WAL"_s);
        c.reset();
        out(u"已生成演示数据库：%1（客户 %2 条，保单 %3 条）"_s.arg(path).arg(n.customers).arg(n.policies));
    } catch (const std::exception &e) {
        c.reset();
        removeDatabaseFiles(path);
        err(QString::fromUtf8(e.what()));
        return kExitFailed;
    }
    return 0;
}

int runCheck(const QString &path, const QStringList &args)
{
    if (!args.isEmpty()) return usage(u"unknown argument: %1"_s.arg(args.first()));
    const CheckResult r = checkDatabase(path);
    if (!r.ok) {
        err(r.reason);
        return kExitFailed;
    }
    out(u"ok"_s);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) return usage();
    const QString command = args[0], path = args[1];
    const QStringList rest = args.mid(2);
    if (command == u"init"_s) return runInit(path, rest);
    if (command == u"demo"_s) return runDemo(path, rest);
    if (command == u"check"_s) return runCheck(path, rest);
    return usage(u"unknown command: %1"_s.arg(command));
}
