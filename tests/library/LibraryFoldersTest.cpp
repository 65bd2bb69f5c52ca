// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CLibraryFolders.h"
#include "QtPrinters.h"
#include "TestProfile.h"

#include <gtest/gtest.h>

namespace {

TEST(LibraryFolders, RoundTripKeepsOrderDuplicatesAndLongPaths)
{
    TestProfile profile;
    const QString longPath = QStringLiteral("/música/") + QString(300, QLatin1Char('x'));
    CLibraryFolders folders;
    folders.SetFolders({QStringLiteral("/home/u/Música"), QStringLiteral("/mnt/a \"b\" & <c>"),
                        QStringLiteral("/home/u/Música"), longPath});
    ASSERT_TRUE(folders.Save(profile.Path()));
    EXPECT_EQ(QString::fromUtf8(profile.Read(QStringLiteral("Library.xml"))),
              QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Library>\n"
                             "    <Folder Path=\"/home/u/Música\"/>\n"
                             "    <Folder Path=\"/mnt/a &quot;b&quot; &amp; &lt;c&gt;\"/>\n"
                             "    <Folder Path=\"/home/u/Música\"/>\n"
                             "    <Folder Path=\"") + longPath + QStringLiteral("\"/>\n"
                             "</Library>\n"));
    CLibraryFolders read;
    read.Load(profile.Path());
    EXPECT_EQ(read.Folders(), folders.Folders());
}

TEST(LibraryFolders, ReadsChildrenOfAnyNameAndDefaultsWhenDamaged)
{
    TestProfile profile;
    CLibraryFolders folders;
    profile.Write(QStringLiteral("Library.xml"),
                  "<?xml version=\"1.0\"?><Library><Folder Path=\"/a\"/><Other Path=\"/b\"/>"
                  "<Folder/></Library>");
    EXPECT_TRUE(folders.Load(profile.Path()));
    EXPECT_EQ(folders.Folders(), QStringList({"/a", "/b", ""}));

    // A file that is there but gives no list is a failure, not an empty choice of folders.
    const QByteArray damaged[] = {"<Library><Folder Path=\"/a\"></Library",
                                  QByteArray("\x00\xff\x13garbage", 10),
                                  "<?xml version=\"1.0\"?><Folders/>"};
    for (const QByteArray& bytes : damaged) {
        profile.Write(QStringLiteral("Library.xml"), bytes);
        EXPECT_FALSE(folders.Load(profile.Path())) << bytes.constData();
        EXPECT_TRUE(folders.Folders().isEmpty());
    }

    EXPECT_TRUE(folders.Load(profile.File(QStringLiteral("missing"))));
    EXPECT_TRUE(folders.Folders().isEmpty());
}

TEST(LibraryFolders, EmptyListWritesAnEmptyLibraryElement)
{
    TestProfile profile;
    ASSERT_TRUE(CLibraryFolders().Save(profile.Path()));
    EXPECT_EQ(profile.Read(QStringLiteral("Library.xml")),
              QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Library/>\n"));
}

TEST(LibraryFolders, SaveIntoAMissingFolderFails)
{
    TestProfile profile;
    CLibraryFolders folders;
    folders.SetFolders({QStringLiteral("/x")});
    EXPECT_FALSE(folders.Save(profile.File(QStringLiteral("no/such/folder"))));
}

} // namespace
