// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// The languages that ship beside the program, as the build copies them: each must load and
// hold every line the program reads.
#include "CLanguage.h"

#include "QtPrinters.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QtEndian>

#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The program folder of the build: the languages lie in its "Language" folder.
QString ProgramFolder()
{
    const QByteArray build = qgetenv("PLUMO_BUILD_DIR");
    if (!build.isEmpty())
        return QDir(QString::fromLocal8Bit(build)).filePath("bin");
    return QCoreApplication::applicationDirPath();
}

QStringList ShippedLanguages()
{
    return QDir(ProgramFolder() + "/Language").entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

// Lines each section must have: what the menus, dialogs, tree and messages read.
const std::vector<std::pair<LangSection, int>>& RequiredLines()
{
    static const std::vector<std::pair<LangSection, int>> required {
        { LangSection::MainMenu, 33 },
        { LangSection::TrayMenu, 6 },
        { LangSection::ListMenu, 10 },
        { LangSection::TreeMenu, 3 },
        { LangSection::Library, 12 },
        { LangSection::SkinDialog, 9 },
        { LangSection::LibraryDialog, 8 },
        { LangSection::LanguageDialog, 4 },
        { LangSection::ProcessDialog, 4 },
        { LangSection::PropertiesDialog, 11 },
        { LangSection::RenameDialog, 4 },
        { LangSection::AboutDialog, 1 },
        { LangSection::Messages, 10 },
        { LangSection::DonateDialog, 1 },
        { LangSection::EqualizerDialog, 6 },
        { LangSection::Playlist, 2 },
        { LangSection::HotKeyDialog, 20 },
        { LangSection::OpenURLDialog, 6 },
        { LangSection::ListenBrainzDialog, 17 },
    };
    return required;
}

// True when bytes are an icon file with a 16 x 16 image.
bool HasSmallIcon(const QByteArray& bytes)
{
    if (bytes.size() < 6 || qFromLittleEndian<quint16>(bytes.constData()) != 0
        || qFromLittleEndian<quint16>(bytes.constData() + 2) != 1)
        return false;
    const int count = qFromLittleEndian<quint16>(bytes.constData() + 4);
    for (int i = 0; i < count && 6 + 16 * (i + 1) <= bytes.size(); ++i) {
        const char* entry = bytes.constData() + 6 + 16 * i;
        const quint32 size = qFromLittleEndian<quint32>(entry + 8);
        const quint32 offset = qFromLittleEndian<quint32>(entry + 12);
        if (entry[0] == 16 && entry[1] == 16 && offset + size <= quint32(bytes.size()))
            return true;
    }
    return false;
}

TEST(ShippedLanguages, EnglishAndGermanAreThere)
{
    const QStringList names = ShippedLanguages();
    EXPECT_TRUE(names.contains("English")) << ProgramFolder().toStdString();
    EXPECT_TRUE(names.contains("German"));
}

TEST(ShippedLanguages, EachLoadsWithEveryLineTheProgramReads)
{
    for (const QString& name : ShippedLanguages()) {
        SCOPED_TRACE(name.toStdString());
        CLanguage language;
        language.SetProgramFolder(ProgramFolder());
        ASSERT_TRUE(language.Load(name));
        for (const auto& [section, count] : RequiredLines()) {
            SCOPED_TRACE(CLanguage::SectionName(section));
            EXPECT_GE(language.LineCount(section), count);
            for (int i = 0; i < language.LineCount(section); ++i) {
                const QString line = language.Line(section, i);
                EXPECT_FALSE(line.isEmpty()) << "line " << i;
                EXPECT_EQ(line, line.trimmed()) << "line " << i;
            }
        }
    }
}

TEST(ShippedLanguages, EachHasASmallFlag)
{
    for (const QString& name : ShippedLanguages()) {
        QFile flag(ProgramFolder() + "/Language/" + name + "/Flag.ico");
        ASSERT_TRUE(flag.open(QIODevice::ReadOnly)) << name.toStdString();
        EXPECT_TRUE(HasSmallIcon(flag.readAll())) << name.toStdString();
    }
}

// Every language has the English layout line for line, and is a translation, not a copy.
TEST(ShippedLanguages, TranslationsMatchEnglishLineForLine)
{
    CLanguage english;
    english.SetProgramFolder(ProgramFolder());
    ASSERT_TRUE(english.Load("English"));
    for (const QString& name : ShippedLanguages()) {
        if (name == "English")
            continue;
        SCOPED_TRACE(name.toStdString());
        CLanguage other;
        other.SetProgramFolder(ProgramFolder());
        ASSERT_TRUE(other.Load(name));
        int lines = 0;
        int same = 0;
        for (int s = 0; s < kLangSectionCount; ++s) {
            const auto section = static_cast<LangSection>(s);
            EXPECT_EQ(other.LineCount(section), english.LineCount(section))
                << CLanguage::SectionName(section);
            for (int i = 0; i < english.LineCount(section); ++i, ++lines)
                same += other.Line(section, i) == english.Line(section, i) ? 1 : 0;
        }
        EXPECT_LT(same * 5, lines) << same << " of " << lines << " lines left in English";
    }
}

} // namespace
