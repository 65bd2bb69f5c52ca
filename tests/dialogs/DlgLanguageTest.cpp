// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgLanguage.h"

#include "CLanguage.h"
#include "QtPrinters.h"
#include "TestProfile.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

QString ShippedLanguages()
{
    const QByteArray build = qgetenv("PLUMO_BUILD_DIR");
    const QString bin = build.isEmpty() ? QCoreApplication::applicationDirPath()
                                        : QString::fromLocal8Bit(build) + "/bin";
    return bin + "/Language";
}

void CopyLanguage(const QString& name, const QString& programFolder)
{
    const QString from = ShippedLanguages() + "/" + name;
    const QString to = programFolder + "/Language/" + name;
    QDir().mkpath(to);
    for (const char* file : { "Main.xml", "Flag.ico" })
        ASSERT_TRUE(QFile::copy(from + "/" + file, to + "/" + file)) << file;
}

template <class T> T* Control(const QWidget& dialog, int id)
{
    return dialog.findChild<T*>(QString::number(id));
}

// Runs act on the next modal widget of type T once it is shown (from inside its exec()).
template <class T> void WhenModal(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    auto attempts = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, attempts, act] {
        if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->deleteLater();
            timer->stop();
            act(widget);
        } else if (++*attempts > 500) {
            timer->deleteLater();
            timer->stop();
            ADD_FAILURE() << "no modal widget appeared";
        }
    });
    timer->start(10);
}

// A program folder with English, German, a broken language without a flag, and a plain file.
class LanguageChooser : public testing::Test {
protected:
    void SetUp() override
    {
        CopyLanguage("English", m_program.Path());
        CopyLanguage("German", m_program.Path());
        m_program.Write("Language/Broken/Main.xml", "<Language Version=\"1.4\"/>");
        m_program.Write("Language/README.txt", "not a language");
        m_language.SetProgramFolder(m_program.Path());
        ASSERT_TRUE(m_language.Load("English"));
    }

    static QStringList Names(const QTreeWidget& list)
    {
        QStringList names;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            names << list.topLevelItem(i)->text(0);
        return names;
    }

    TestProfile m_program;
    CLanguage m_language;
};

TEST_F(LanguageChooser, ListsLanguageFoldersSortedWithTheirFlags)
{
    const CDlgLanguage dialog(m_language, m_program.Path());
    auto* list = Control<QTreeWidget>(dialog, CDlgLanguage::kIdList);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(Names(*list), (QStringList { "Broken", "English", "German" }));
    EXPECT_TRUE(list->topLevelItem(0)->icon(0).isNull());
    for (int i : { 1, 2 }) {
        const QPixmap flag = list->topLevelItem(i)->icon(0).pixmap(16, 16);
        ASSERT_FALSE(flag.isNull());
        EXPECT_EQ(flag.size(), QSize(16, 16));
    }
    EXPECT_TRUE(list->isHeaderHidden());
    EXPECT_EQ(list->columnWidth(0), CDlgLanguage::kColumnWidth);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(LanguageChooser, CaptionsComeFromTheLanguage)
{
    CLanguage german;
    german.SetProgramFolder(m_program.Path());
    ASSERT_TRUE(german.Load("German"));
    for (const CLanguage* language : { &m_language, &german }) {
        const CDlgLanguage dialog(*language, m_program.Path());
        const auto line = [&](int i) { return language->Line(LangSection::LanguageDialog, i); };
        EXPECT_EQ(dialog.windowTitle(), line(0));
        EXPECT_EQ(Control<QPushButton>(dialog, CDlgLanguage::kIdCancel)->text(), line(1));
        EXPECT_EQ(Control<QPushButton>(dialog, CDlgLanguage::kIdOk)->text(), line(2));
        EXPECT_EQ(Control<QLabel>(dialog, CDlgLanguage::kIdText)->text(), line(3));
    }
    EXPECT_NE(m_language.Line(LangSection::LanguageDialog, 1),
        german.Line(LangSection::LanguageDialog, 1));
}

TEST_F(LanguageChooser, ShortSectionKeepsTheTemplateTexts)
{
    m_program.Write("Language/Short/Main.xml",
        "<Language Version=\"1.5\"><LanguageDialog><a Line=\"Pick\"/></LanguageDialog></Language>");
    CLanguage shortLanguage;
    shortLanguage.SetProgramFolder(m_program.Path());
    ASSERT_TRUE(shortLanguage.Load("Short"));
    const CDlgLanguage dialog(shortLanguage, m_program.Path());
    EXPECT_EQ(dialog.windowTitle(), "Pick");
    EXPECT_EQ(Control<QPushButton>(dialog, CDlgLanguage::kIdCancel)->text(), "Cancel");
    EXPECT_EQ(Control<QPushButton>(dialog, CDlgLanguage::kIdOk)->text(), "OK");
}

TEST_F(LanguageChooser, OkIsEnabledExactlyWhileALanguageIsSelected)
{
    CDlgLanguage dialog(m_language, m_program.Path());
    auto* list = Control<QTreeWidget>(dialog, CDlgLanguage::kIdList);
    auto* ok = Control<QPushButton>(dialog, CDlgLanguage::kIdOk);
    EXPECT_FALSE(ok->isEnabled());

    list->topLevelItem(2)->setSelected(true);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.GetChosenName(), "German");

    list->clearSelection();
    EXPECT_FALSE(ok->isEnabled());

    list->topLevelItem(1)->setSelected(true);
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetChosenName(), "English");
}

TEST_F(LanguageChooser, ChoosingALanguageLoadsIt)
{
    WhenModal<CDlgLanguage>([](CDlgLanguage* dialog) {
        auto* list = Control<QTreeWidget>(*dialog, CDlgLanguage::kIdList);
        list->findItems("German", Qt::MatchExactly).first()->setSelected(true);
        Control<QPushButton>(*dialog, CDlgLanguage::kIdOk)->click();
    });
    EXPECT_TRUE(CDlgLanguage::Run(nullptr, m_language, "English"));
    EXPECT_EQ(m_language.GetName(), "German");
    EXPECT_EQ(m_language.Line(LangSection::TrayMenu, 5), "Beenden");
}

TEST_F(LanguageChooser, CancelChangesNothing)
{
    WhenModal<CDlgLanguage>([](CDlgLanguage* dialog) {
        auto* list = Control<QTreeWidget>(*dialog, CDlgLanguage::kIdList);
        list->findItems("German", Qt::MatchExactly).first()->setSelected(true);
        Control<QPushButton>(*dialog, CDlgLanguage::kIdCancel)->click();
    });
    EXPECT_FALSE(CDlgLanguage::Run(nullptr, m_language, "English"));
    EXPECT_EQ(m_language.GetName(), "English");
    EXPECT_EQ(m_language.LineCount(LangSection::MainMenu), 33);
}

TEST_F(LanguageChooser, BrokenChoiceFallsBackToTheDefaultWithTheBuiltInError)
{
    ASSERT_TRUE(m_language.Load("German"));
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    WhenModal<CDlgLanguage>([](CDlgLanguage* dialog) {
        auto* list = Control<QTreeWidget>(*dialog, CDlgLanguage::kIdList);
        list->findItems("Broken", Qt::MatchExactly).first()->setSelected(true);
        Control<QPushButton>(*dialog, CDlgLanguage::kIdOk)->click();
    });
    WhenModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        box->accept();
    });
    EXPECT_TRUE(CDlgLanguage::Run(nullptr, m_language, "English"));
    EXPECT_EQ(text, CLanguage::CorruptedText());
    EXPECT_EQ(title, "Error");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(m_language.GetName(), "English");
    EXPECT_EQ(m_language.Line(LangSection::TrayMenu, 5), "Exit");
}

} // namespace
