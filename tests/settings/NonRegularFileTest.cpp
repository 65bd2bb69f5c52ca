// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Pipes, sockets, devices and folders where a small XML file is expected: every reader refuses
// them at once instead of waiting on them, and goes on as when the file is unusable.
#include "CLanguage.h"
#include "CSettings.h"
#include "SafeFile.h"
#include "XmlLimits.h"

#include "TestProfile.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tinyxml2.h>

#include <gtest/gtest.h>

namespace {

// Runs read on a thread of its own and tells whether it came back. A reader stuck opening the
// pipe at fifo is released by opening its other end, so a failing test still ends.
bool ReturnsPromptly(const std::function<void()>& read, const QString& fifo)
{
    std::packaged_task<void()> task(read);
    std::future<void> done = task.get_future();
    std::thread thread(std::move(task));
    const bool returned = done.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    if (!returned) {
        const int writer = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    thread.join();
    return returned;
}

bool MakeFifo(const QString& path)
{
    QDir().mkpath(path.left(path.lastIndexOf('/')));
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

} // namespace

TEST(SpecialFiles, ReadersRefuseAPipeWithoutWaitingForAWriter)
{
    TestProfile dir;
    struct Case {
        const char* name;
        QString file; // the pipe
        std::function<bool()> read; // true when the reader took the file as usable
    };
    CSettings settings;
    CLanguage language;
    language.SetProgramFolder(dir.Path());
    const Case cases[] = {
        {"settings", dir.File("profile/Settings.xml"),
            [&] { return settings.Load(dir.File("profile")); }},
        {"language", dir.File("Language/Pipe/Main.xml"), [&] { return language.Load("Pipe"); }},
        {"xml file (skin, equalizer, library folders)", dir.File("Skin/List.xml"),
            [&] {
                tinyxml2::XMLDocument doc;
                return xmllimits::ReadFile(dir.File("Skin/List.xml"), doc);
            }},
        {"whole-file read", dir.File("HotKey.xml"),
            [&] {
                QByteArray bytes;
                return safefile::Read(dir.File("HotKey.xml"), 1024, bytes)
                    != safefile::ReadStatus::Unreadable;
            }},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(MakeFifo(c.file)) << c.name;
        bool usable = true;
        EXPECT_TRUE(ReturnsPromptly([&] { usable = c.read(); }, c.file)) << c.name;
        EXPECT_FALSE(usable) << c.name;
    }
    // A settings pipe is an unusable file, not a first start: the defaults stay in force.
    EXPECT_FALSE(settings.IsFirstRun());
    EXPECT_EQ(settings.GetSkin(), "Default");
}

TEST(SpecialFiles, OnlyRegularFilesOpenAndLinksAreFollowed)
{
    TestProfile dir;
    const QString plain = dir.Write("plain.xml", "<a/>");
    ASSERT_TRUE(MakeFifo(dir.File("pipe.xml")));
    ASSERT_TRUE(QFile::link(dir.File("pipe.xml"), dir.File("to-pipe.xml")));
    ASSERT_TRUE(QFile::link(plain, dir.File("to-plain.xml")));
    ASSERT_TRUE(QFile::link(dir.File("gone.xml"), dir.File("dangling.xml")));
    QDir(dir.Path()).mkdir("folder.xml");
    using safefile::ReadStatus;
    const struct {
        const char* name;
        QString path;
        ReadStatus expected;
    } cases[] = {
        {"plain", plain, ReadStatus::Ok},
        {"link to a plain file", dir.File("to-plain.xml"), ReadStatus::Ok},
        {"pipe", dir.File("pipe.xml"), ReadStatus::Unreadable},
        {"link to a pipe", dir.File("to-pipe.xml"), ReadStatus::Unreadable},
        {"folder", dir.File("folder.xml"), ReadStatus::Unreadable},
        {"character device", QStringLiteral("/dev/null"), ReadStatus::Unreadable},
        {"missing", dir.File("none.xml"), ReadStatus::Missing},
        {"dangling link", dir.File("dangling.xml"), ReadStatus::Missing},
        {"below a file", plain + "/x.xml", ReadStatus::Missing},
        {"larger than the limit", plain, ReadStatus::TooLarge},
    };
    for (const auto& c : cases) {
        QFile file;
        const qint64 limit = c.expected == ReadStatus::TooLarge ? 2 : 1024;
        ReadStatus status = ReadStatus::Ok;
        EXPECT_TRUE(ReturnsPromptly(
            [&] { status = safefile::OpenRegular(c.path, limit, file); }, c.path))
            << c.name;
        EXPECT_EQ(status, c.expected) << c.name;
        EXPECT_EQ(file.isOpen(), c.expected == ReadStatus::Ok) << c.name;
    }
}
