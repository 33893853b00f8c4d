#include "fakeservices.h"
#include "services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tolvaris;

namespace {

// Runs `act` on the next modal widget that opens (polling, since exec()
// blocks the caller).
void whenModalOpens(std::function<void(QWidget *)> act, int tries = 200)
{
    QTimer::singleShot(10, [act, tries] {
        if (QWidget *w = QApplication::activeModalWidget()) act(w);
        else if (tries > 0) whenModalOpens(act, tries - 1);
    });
}

QAbstractButton *buttonWithText(QWidget *root, const QString &text)
{
    for (auto *b : root->findChildren<QAbstractButton *>())
        if (b->text().remove(QLatin1Char('&')) == text) return b;
    return nullptr;
}

// What the user types into the dialog's file-name box.
void typeFileName(QFileDialog *fd, const QString &name)
{
    auto *edit = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

} // namespace

TEST(FakeServices, RecordMessagesWithTheirLookAndScriptedAnswers)
{
    FakeServices fake;
    Services s = fake.services();
    QWidget owner;
    fake.messages.answers = {false, true};
    fake.messages.defaultAnswer = false;

    s.messages->information(&owner, QStringLiteral("提示"), QStringLiteral("友情提示：\r您输入的投保单信息已成功添加！"));
    EXPECT_FALSE(s.messages->question(&owner, QStringLiteral("编辑保存提示"), QStringLiteral("您确认要保存编辑后的数据吗？")));
    EXPECT_TRUE(s.messages->question(nullptr, QStringLiteral("删除提示"), QStringLiteral("确认删除？")));
    // The queue is used up: the configured default answers, and the call is still recorded.
    EXPECT_FALSE(s.messages->question(nullptr, QStringLiteral("删除提示"), QStringLiteral("再次确认？")));
    s.messages->error(nullptr, QStringLiteral("提示"), QStringLiteral("利润：“x”不是整数，无法保存。"));

    const auto calls = fake.messages.messages();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].kind, ServiceCall::Kind::Information);
    EXPECT_EQ(calls[0].title, QStringLiteral("提示"));
    EXPECT_EQ(calls[0].text, QStringLiteral("友情提示：\r您输入的投保单信息已成功添加！"));
    EXPECT_EQ(calls[0].icon, QMessageBox::Information);
    EXPECT_EQ(calls[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(calls[0].parent, &owner);

    EXPECT_EQ(calls[1].kind, ServiceCall::Kind::Question);
    EXPECT_EQ(calls[1].icon, QMessageBox::Question);
    EXPECT_EQ(calls[1].buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(calls[1].answer, QStringLiteral("Cancel"));
    EXPECT_EQ(calls[2].answer, QStringLiteral("OK"));
    EXPECT_EQ(calls[3].text, QStringLiteral("再次确认？"));
    EXPECT_EQ(calls[3].answer, QStringLiteral("Cancel"));
    EXPECT_EQ(calls[4].icon, QMessageBox::Critical);
    EXPECT_EQ(fake.log.size(), 5u);
}

TEST(FakeServices, FilesModalAndClockFollowTheirScripts)
{
    FakeServices fake;
    Services s = fake.services();
    fake.files.savePaths = {QStringLiteral("/tmp/客户列表"), QString()};
    fake.files.openPaths = {QStringLiteral("/tmp/backup.dat")};

    // Scripted answers get the extension rule of the real dialog; "" is a cancel.
    EXPECT_EQ(s.files->saveFile(nullptr, QStringLiteral("导出"), QStringLiteral("Excel文件(*.xlsx)"),
                                QStringLiteral("客户列表.xlsx"), QStringLiteral("xlsx")),
              QStringLiteral("/tmp/客户列表.xlsx"));
    EXPECT_EQ(s.files->saveFile(nullptr, QStringLiteral("导出"), {}, {}, QStringLiteral("xlsx")), QString());
    EXPECT_EQ(s.files->saveFile(nullptr, QStringLiteral("导出"), {}, {}, QStringLiteral("xlsx")), QString());
    EXPECT_EQ(s.files->openFile(nullptr, QStringLiteral("数据恢复"), QStringLiteral("*.dat")), QStringLiteral("/tmp/backup.dat"));
    EXPECT_EQ(s.files->openFile(nullptr, QStringLiteral("数据恢复"), QStringLiteral("*.dat")), QString());
    ASSERT_EQ(fake.files.calls.size(), 5u);
    EXPECT_EQ(fake.files.calls[0].kind, ServiceCall::Kind::SaveFile);
    EXPECT_EQ(fake.files.calls[0].filter, QStringLiteral("Excel文件(*.xlsx)"));
    EXPECT_EQ(fake.files.calls[0].proposedName, QStringLiteral("客户列表.xlsx"));
    EXPECT_EQ(fake.files.calls[3].kind, ServiceCall::Kind::OpenFile);

    QDialog dlg;
    dlg.setObjectName(QStringLiteral("TFrmAddkh"));
    dlg.setWindowTitle(QStringLiteral("新增客户"));
    auto *edit = new QLineEdit(&dlg);
    fake.modal.scripts.push_back(FakeModalRunner::acceptAfter([edit](QDialog &) { edit->setText(QStringLiteral("张三")); }));
    EXPECT_EQ(s.modal->run(dlg), int(QDialog::Accepted));
    EXPECT_EQ(edit->text(), QStringLiteral("张三"));
    EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
    EXPECT_EQ(s.modal->run(dlg), int(QDialog::Rejected));  // no script left
    ASSERT_EQ(fake.modal.calls.size(), 2u);
    EXPECT_EQ(fake.modal.calls[0].title, QStringLiteral("新增客户"));
    EXPECT_EQ(fake.modal.calls[0].text, QStringLiteral("TFrmAddkh"));
    EXPECT_EQ(fake.modal.calls[0].answer, QString::number(QDialog::Accepted));
    EXPECT_EQ(fake.log.size(), 7u);

    EXPECT_EQ(s.clock->today(), QDate(2024, 3, 15));
    fake.clock.set(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 30)));
    fake.clock.advanceSecs(60);
    EXPECT_EQ(s.clock->today(), QDate(2024, 1, 1));
    EXPECT_EQ(s.clock->now().time(), QTime(0, 0, 30));
}

TEST(QtMessageService, BoxesReadChineseAndBreakLinesAtCarriageReturn)
{
    auto q = QtMessageService::makeBox(MessageKind::Question, nullptr, QStringLiteral("编辑保存提示"),
                                       QStringLiteral("您输入的保单号在数据库中已存在！\r\r请检查后重新输入"));
    EXPECT_EQ(q->windowTitle(), QStringLiteral("编辑保存提示"));
    EXPECT_EQ(q->icon(), QMessageBox::Question);
    EXPECT_EQ(q->text(), QStringLiteral("您输入的保单号在数据库中已存在！\n\n请检查后重新输入"));
    EXPECT_EQ(q->textFormat(), Qt::PlainText);
    EXPECT_EQ(q->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(q->button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(q->button(QMessageBox::Cancel)->text(), QStringLiteral("取消"));

    auto info = QtMessageService::makeBox(MessageKind::Information, nullptr, QStringLiteral("提示"), QStringLiteral("a\r\nb"));
    EXPECT_EQ(info->icon(), QMessageBox::Information);
    EXPECT_EQ(info->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(info->text(), QStringLiteral("a\nb"));
}

TEST(QtMessageService, QuestionIsTrueOnlyForOk)
{
    QtMessageService m;
    for (const bool pressOk : {true, false}) {
        whenModalOpens([pressOk](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            ASSERT_NE(box, nullptr);
            box->button(pressOk ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(m.question(nullptr, QStringLiteral("删除提示"), QStringLiteral("确认？")), pressOk);
    }
}

TEST(QtFileService, DefaultExtensionRule)
{
    struct Case { const char *path, *ext, *out; };
    const Case cases[] = {
        {"/tmp/a", "xlsx", "/tmp/a.xlsx"},
        {"/tmp/a", ".xlsx", "/tmp/a.xlsx"},
        {"/tmp/a.xlsx", "xlsx", "/tmp/a.xlsx"},
        {"/tmp/a.csv", "xlsx", "/tmp/a.csv"},
        {"/tmp/dir.v2/a", "xlsx", "/tmp/dir.v2/a.xlsx"},
        {"/tmp/a", "", "/tmp/a"},
        {"", "xlsx", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(withDefaultExtension(QString::fromUtf8(c.path), QString::fromUtf8(c.ext)), QString::fromUtf8(c.out))
            << c.path << " " << c.ext;
}

TEST(QtFileService, SaveAppendsTheExtensionAndAsksBeforeOverwriting)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QFile f(dir.filePath(QStringLiteral("old.xlsx")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QtFileService files;
    const QString filter = QStringLiteral("Excel文件(*.xlsx)");

    auto d = QtFileService::makeSaveDialog(nullptr, QStringLiteral("导出"), filter, QStringLiteral("保单列表.xlsx"), QStringLiteral(".xlsx"));
    EXPECT_EQ(d->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(d->defaultSuffix(), QStringLiteral("xlsx"));
    EXPECT_FALSE(d->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("导出"));

    // A new name without extension: accepted at once, ".xlsx" appended.
    whenModalOpens([&dir](QWidget *w) {
        auto *fd = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(fd, nullptr);
        fd->setDirectory(dir.path());
        typeFileName(fd, QStringLiteral("新报表"));
        QMetaObject::invokeMethod(fd, "accept");
    });
    EXPECT_EQ(files.saveFile(nullptr, QStringLiteral("导出"), filter, QStringLiteral("保单列表.xlsx"), QStringLiteral("xlsx")),
              dir.filePath(QStringLiteral("新报表.xlsx")));

    // An existing file: a question comes first; answering No keeps the
    // dialog open, and cancelling it then returns "".
    bool asked = false;
    whenModalOpens([&](QWidget *w) {
        auto *fd = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(fd, nullptr);
        fd->setDirectory(dir.path());
        typeFileName(fd, QStringLiteral("old"));
        whenModalOpens([&, fd](QWidget *box) {
            asked = box != fd && qobject_cast<QMessageBox *>(box);
            if (QAbstractButton *no = buttonWithText(box, QStringLiteral("否"))) no->click();
            else if (auto *mb = qobject_cast<QMessageBox *>(box)) mb->reject();
            QTimer::singleShot(10, fd, [fd] {
                EXPECT_TRUE(fd->isVisible());
                fd->reject();
            });
        });
        QMetaObject::invokeMethod(fd, "accept");
    });
    EXPECT_EQ(files.saveFile(nullptr, QStringLiteral("导出"), filter, {}, QStringLiteral("xlsx")), QString());
    EXPECT_TRUE(asked);
}
