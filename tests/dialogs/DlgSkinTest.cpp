// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgSkin.h"

#include "CLanguage.h"
#include "CMsgTarget.h"
#include "TestProfile.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString IdName(int id)
{
    return QString::number(id);
}

// The main window's side of UWM_SKINAPPLY: records the names and answers as told.
class SkinTarget : public CMsgTarget {
public:
    LResult OnUserMessage(unsigned msg, WParam wParam, LParam) override
    {
        if (msg == UWM_SKINAPPLY)
            names << *reinterpret_cast<const QString*>(wParam);
        return answer;
    }
    QStringList names;
    LResult answer = 1;
};

// Closes the next message box once it shows and records its text and icon.
struct BoxWatch {
    void Arm()
    {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [this, timer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                timer->stop();
                timer->deleteLater();
                text = box->text();
                caption = box->windowTitle();
                icon = box->icon();
                box->accept();
            } else if (++attempts > 1000) {
                timer->stop();
                timer->deleteLater();
            }
        });
        timer->start(10);
    }
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int attempts = 0;
};

class SkinChooser : public testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray build = qgetenv("PLUMO_BUILD_DIR");
        const QString bin = build.isEmpty() ? QCoreApplication::applicationDirPath()
                                            : QString::fromLocal8Bit(build) + "/bin";
        const QString to = m_program.Path() + "/Language/English";
        QDir().mkpath(to);
        ASSERT_TRUE(QFile::copy(bin + "/Language/English/Main.xml", to + "/Main.xml"));
        m_language.SetProgramFolder(m_program.Path());
        ASSERT_TRUE(m_language.Load("English"));

        QImage preview(400, 300, QImage::Format_ARGB32);
        preview.fill(Qt::red);
        QDir().mkpath(m_program.Path() + "/Skin/Good");
        preview.save(m_program.Path() + "/Skin/Good/Preview.png");
        m_program.Write("Skin/Good/SkinInfo.xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?><SkinInfo SkinEngine=\"1.5\">"
            "<Author Line=\"Ann &#xe9;\"/><Version Line=\"2.0\"/><Info Line=\"Dark.\"/>"
            "<Preview File=\"Preview.png\"/></SkinInfo>");
        m_program.Write("Skin/Old/SkinInfo.xml", "<SkinInfo SkinEngine=\"1.4\"><Author Line=\"B\"/></SkinInfo>");
        m_program.Write("Skin/Bare/Skin.xml", "<Window/>");
        m_program.Write("Skin/README", "a file, not a skin");
    }

    QTreeWidget* List(CDlgSkin& dlg) { return dlg.findChild<QTreeWidget*>(IdName(CDlgSkin::kIdList)); }
    void Select(CDlgSkin& dlg, const QString& name)
    {
        QTreeWidget* list = List(dlg);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            if (list->topLevelItem(i)->text(0) == name)
                list->setCurrentItem(list->topLevelItem(i));
        }
        ASSERT_EQ(list->currentItem()->text(0), name);
    }
    QString Text(CDlgSkin& dlg, int id)
    {
        if (auto* edit = dlg.findChild<QLineEdit*>(IdName(id)))
            return edit->text();
        return dlg.findChild<QPlainTextEdit*>(IdName(id))->toPlainText();
    }

    TestProfile m_program;
    CLanguage m_language;
    SkinTarget m_target;
};

TEST_F(SkinChooser, ListsSkinFoldersAndSelectsTheCurrentOne)
{
    CDlgSkin dlg(m_language, m_program.Path(), "Good", &m_target);
    QTreeWidget* list = List(dlg);
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->currentItem()->text(0), "Good");
    EXPECT_EQ(list->columnWidth(0), CDlgSkin::kColumnWidth);
    EXPECT_EQ(dlg.windowTitle(), m_language.Line(LangSection::SkinDialog, 0));
    EXPECT_EQ(Text(dlg, CDlgSkin::kIdAuthor), QString::fromUtf8("Ann \xc3\xa9"));
    EXPECT_EQ(Text(dlg, CDlgSkin::kIdVersion), "2.0");
    EXPECT_EQ(Text(dlg, CDlgSkin::kIdInfo), "Dark.");
    EXPECT_EQ(dlg.GetEngineVersion(), "1.5");
    EXPECT_EQ(dlg.GetPreview().GetWidth(), CDlgSkin::kPreviewWidth) << "a thumbnail of the area";
    EXPECT_EQ(dlg.GetPreview().GetHeight(), CDlgSkin::kPreviewHeight);

    CDlgSkin other(m_language, m_program.Path(), "Gone", &m_target);
    EXPECT_EQ(List(other)->currentItem(), List(other)->topLevelItem(0)) << "else the first row";
}

TEST_F(SkinChooser, ApplySendsTheSkinAndStaysOpen)
{
    CDlgSkin dlg(m_language, m_program.Path(), "Good", &m_target);
    dlg.show();
    EXPECT_TRUE(dlg.Apply());
    EXPECT_TRUE(dlg.Apply()) << "the skin in use is applied again";
    EXPECT_EQ(m_target.names, (QStringList { "Good", "Good" }));
    EXPECT_TRUE(dlg.isVisible());

    m_target.answer = 0;
    BoxWatch box;
    box.Arm();
    EXPECT_FALSE(dlg.Apply());
    EXPECT_EQ(box.text, m_language.Line(LangSection::Messages, 6));
    EXPECT_EQ(box.caption, m_language.Line(LangSection::Messages, 1));
    EXPECT_EQ(box.icon, QMessageBox::Warning);
}

TEST_F(SkinChooser, SkinsForAnotherEngineOrWithoutInfoAreRefused)
{
    CDlgSkin dlg(m_language, m_program.Path(), "Good", &m_target);
    for (const char* name : { "Old", "Bare" }) {
        Select(dlg, name);
        BoxWatch box;
        box.Arm();
        EXPECT_FALSE(dlg.Apply()) << name;
        EXPECT_EQ(box.text, m_language.Line(LangSection::Messages, 5)) << name;
        EXPECT_EQ(box.caption, m_language.Line(LangSection::Messages, 2));
        EXPECT_EQ(box.icon, QMessageBox::Information);
    }
    EXPECT_TRUE(m_target.names.isEmpty());
    EXPECT_TRUE(Text(dlg, CDlgSkin::kIdAuthor).isEmpty()) << "no description of another skin";
    EXPECT_EQ(dlg.GetPreview().GetWidth(), 0);
}

TEST_F(SkinChooser, NoSkinsGiveAnEmptyListAndApplyIsRefused)
{
    TestProfile empty;
    CDlgSkin dlg(m_language, empty.Path(), "Default", &m_target);
    EXPECT_EQ(List(dlg)->topLevelItemCount(), 0);
    BoxWatch box;
    box.Arm();
    EXPECT_FALSE(dlg.Apply());
    EXPECT_EQ(box.icon, QMessageBox::Information);
    EXPECT_TRUE(m_target.names.isEmpty());
}

} // namespace
