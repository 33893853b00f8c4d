#include "progress.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <gtest/gtest.h>

using namespace tolvaris;

TEST(ProgressWindow, OpenSetClose)
{
    ProgressSetPosition(1);  // nothing open: nothing happens
    EXPECT_EQ(Fm_Progress(), nullptr);

    ProgressOpen(5, QStringLiteral("数据生成"), QStringLiteral("保单列表信息生成中，请稍候。。。"));
    QPointer<TFm_Progress> w = Fm_Progress();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->title(), QStringLiteral("数据生成"));
    EXPECT_EQ(w->tipLabel()->text(), QStringLiteral("保单列表信息生成中，请稍候。。。"));
    EXPECT_TRUE(w->tipLabel()->isVisible());
    EXPECT_EQ(w->maximum(), 5);
    EXPECT_EQ(w->position(), 0);
    EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w->picture()->size(), QSize(299, 109));
    EXPECT_FALSE(w->picture()->pixmap().isNull());
    EXPECT_EQ(w->frameGeometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());

    // Setting the position lets pending events run (so the screen repaints).
    bool ran = false;
    QMetaObject::invokeMethod(qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    ProgressSetPosition(3);
    EXPECT_TRUE(ran);
    EXPECT_EQ(w->position(), 3);
    EXPECT_EQ(w->bar()->value(), 3);
    ProgressSetPosition(9);  // beyond the maximum: the bar stops at its end
    EXPECT_EQ(w->position(), 5);

    // A second open replaces the window: one instance at most.
    ProgressOpen(1, QStringLiteral("数据生成"), QStringLiteral("另一条提示"));
    EXPECT_FALSE(w);
    ASSERT_NE(Fm_Progress(), nullptr);
    EXPECT_EQ(Fm_Progress()->tip(), QStringLiteral("另一条提示"));
    EXPECT_EQ(Fm_Progress()->position(), 0);

    QPointer<TFm_Progress> w2 = Fm_Progress();
    ProgressClose();
    EXPECT_EQ(Fm_Progress(), nullptr);
    EXPECT_FALSE(w2);
    ProgressClose();  // closing twice is harmless
}
