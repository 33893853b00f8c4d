#pragma once
// A database file made by createDatabase, a session on it, scripted services
// and the application state of a logged-in user: what a window needs.
#include "context.h"
#include "fakeservices.h"

#include <QTemporaryDir>
#include <QTest>
#include <ostream>

// Readable failure messages for texts.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace tolvaris::testing {

class SessionFixture {
public:
    explicit SessionFixture(const QString &user = QStringLiteral("alice"), bool ordinary = true)
        : session(dir.filePath(QStringLiteral("data.dat")))
    {
        createDatabase(session.path(), {QStringLiteral("alice"), QStringLiteral("x"), true});
        session.open();
        state.CurrentUser = user;
        state.IsOrdinaryUser = ordinary;
        ctx = Context{fake.services(), &session, &state};
    }

    Connection &db() { return session.connection(); }
    void exec(const char *sql, const QVariantList &values = {}) { db().exec(QString::fromUtf8(sql), values); }
    // One column of a statement's rows, joined with "|" (NULL as "").
    QString column(const char *sql, const QVariantList &values = {})
    {
        Query q(db(), QString::fromUtf8(sql));
        q.bindAll(values);
        QStringList out;
        while (q.step()) out << q.text(0);
        return out.join(QLatin1Char('|'));
    }
    // The messages shown so far as "title|text".
    QStringList messages() const
    { return fake.messages.texts(); }
    int modalCount() const
    {
        int n = 0;
        for (const auto &c : fake.modal.calls) n += c.kind == ServiceCall::Kind::Modal;
        return n;
    }

    QTemporaryDir dir;
    FakeServices fake;
    Session session;
    AppState state;
    Context ctx;
};

inline QString u8(const char *s) { return QString::fromUtf8(s); }

// One column of a dataset's rows, joined with "|", in dataset order.
inline QString datasetColumn(const Dataset &ds, const char *col)
{
    QStringList out;
    const int c = ds.columnIndex(QString::fromUtf8(col));
    for (int r = 0; r < ds.recordCount(); ++r) out << ds.displayText(r, c);
    return out.join(QLatin1Char('|'));
}

} // namespace tolvaris::testing
