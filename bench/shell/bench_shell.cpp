// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// Helpers of bench/shell/run, each a subcommand:
//   bench_shell library PROFILE COUNT [GENRE]
//                                       a profile with one genre, "Rock", of COUNT generated
//                                       tracks; its stored list is that genre, or GENRE, which
//                                       then gets ten tracks of its own
//   bench_shell click X Y               clicks at X, Y of the player's window and waits until
//                                       the window's picture changes
//   bench_shell track PROFILE PATH      a profile whose stored list is the one row PATH (a
//                                       file, a pipe or a stream address)
//   bench_shell start PLAYER            starts PLAYER and prints "startup_ms: N" once its
//                                       window is shown with something painted in it, then
//                                       "pid: N"; the player keeps running
//   bench_shell start-list PLAYER       the same, and before the pid "list_ms: N" once the
//                                       window's picture next changes (the restored list's
//                                       rows are in)
//   bench_shell probe SECONDS [METHOD]  asks the player for its playback status over D-Bus
//                                       every 10 ms for SECONDS (from the moment it appears
//                                       on the bus), calls Player.METHOD 300 ms in, and
//                                       prints "stall_ms: N", the longest wait for an answer
//   bench_shell update PROGRAM_FOLDER   clicks "Update Library" in the player's library
//                                       folders dialog (found where a dialog of its own, laid
//                                       out the same way, has the button)
#include "dialogs/CDlgLibrary.h"
#include "library/CDBase.h"
#include "settings/CLanguage.h"
#include "settings/CSettings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTextStream>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr char kService[] = "org.mpris.MediaPlayer2.plumo";
constexpr char kPath[] = "/org/mpris/MediaPlayer2";
constexpr int kGenres = 4; // the tree's category of genres
constexpr int kWaitMs = 60000;

void SaveSettings(const QString& profile, const QString& genre)
{
    CSettings settings;
    CSettings::LibraryNode node;
    node.node1Type = kGenres;
    node.node2String = genre;
    node.node2This = 1;
    settings.SetLibraryNode(node);
    CSettings::WinRect rect;
    rect.left = 0;
    rect.top = 0;
    rect.right = 800;
    rect.bottom = 600;
    settings.SetWindowRect(rect);
    settings.Save(profile);
}

TrackRecord Record(const std::string& title, const std::string& artist, const std::string& album,
    int number, const std::string& genre = "Rock")
{
    TrackRecord r;
    r.size = 5000000;
    r.modified = "2024-05-06 07:08:09";
    r.title = title;
    r.artist = artist;
    r.album = album;
    r.genre = genre;
    r.hasNumber = true;
    r.number = number;
    r.time = 240;
    r.type = 1;
    return r;
}

int MakeLibrary(const QString& profile, int count, const QString& shown)
{
    QDir().mkpath(profile);
    CDBase db;
    db.SetFolder(profile);
    db.OpenLibrary();
    std::mt19937 rng(20261);
    db.Begin(DbConn::Library);
    for (int row = 0; row < count; ++row) {
        const int album = row / 12;
        db.InsertLibraryRow("/music/" + std::to_string(album) + "/" + std::to_string(row) + ".mp3",
            "2024-05-06 07:08:09",
            Record("Track " + std::to_string(rng() % 100000),
                "Artist " + std::to_string(album % 2500), "Album " + std::to_string(album),
                row % 12 + 1));
    }
    // A small genre of its own when another list than the big one is to be shown at start.
    for (int row = 0; shown != QLatin1String("Rock") && row < 10; ++row) {
        db.InsertLibraryRow("/music/shown/" + std::to_string(row) + ".mp3", "2024-05-06 07:08:09",
            Record("Shown " + std::to_string(row), "Shown Artist", "Shown Album", row + 1,
                shown.toStdString()));
    }
    db.Commit(DbConn::Library);
    SaveSettings(profile, shown);
    return 0;
}

int MakeTrack(const QString& profile, const QString& path)
{
    QDir().mkpath(profile);
    CDBase db;
    db.SetFolder(profile);
    db.OpenLibrary();
    db.InsertLibraryRow(
        path.toStdString(), "2024-05-06 07:08:09", Record("Only", "Artist", "Album", 1));
    SaveSettings(profile, QStringLiteral("Rock"));
    return 0;
}

// The first top-level window with this caption that is shown, or 0.
Window FindShown(Display* display, const std::string& caption = "Plumo")
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes {};
        if (XFetchName(display, children[i], &name) && name != nullptr) {
            if (name == caption && XGetWindowAttributes(display, children[i], &attributes)
                && attributes.map_state == IsViewable)
                found = children[i];
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

// A sample of the window's pixels (every fourth in each direction); empty when it cannot be read.
std::vector<unsigned long> Pixels(Display* display, Window window)
{
    std::vector<unsigned long> pixels;
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(display, window, &attributes))
        return pixels;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
        static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    for (int y = 0; y < image->height; y += 4)
        for (int x = 0; x < image->width; x += 4)
            pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

// True when any pixel is not black: the skin has been painted into the window.
bool Painted(const std::vector<unsigned long>& pixels)
{
    return std::any_of(pixels.begin(), pixels.end(), [](unsigned long p) { return p != 0; });
}

int Start(char** argv, bool waitForList)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_shell: no X display\n");
        return 1;
    }
    // Swallow errors of windows that vanish between the query and the look.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    QElapsedTimer clock;
    clock.start();
    // The player's output goes nowhere: whoever reads ours must not wait for the player to end.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::fprintf(stderr, "bench_shell: cannot start %s\n", argv[0]);
        return 1;
    }
    while (clock.elapsed() < kWaitMs) {
        const Window window = FindShown(display);
        const std::vector<unsigned long> first
            = window != 0 ? Pixels(display, window) : std::vector<unsigned long>();
        if (Painted(first)) {
            std::printf("startup_ms: %lld\n", static_cast<long long>(clock.elapsed()));
            // The restored list's rows follow on a worker: the next change of the picture.
            while (waitForList && clock.elapsed() < kWaitMs) {
                const std::vector<unsigned long> now = Pixels(display, window);
                if (!now.empty() && now != first) {
                    std::printf("list_ms: %lld\n", static_cast<long long>(clock.elapsed()));
                    break;
                }
                usleep(2000);
            }
            std::printf("pid: %d\n", pid);
            XCloseDisplay(display);
            return 0;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "bench_shell: the player ended before it showed its window\n");
            return 1;
        }
        usleep(2000);
    }
    std::fprintf(stderr, "bench_shell: no painted window within %d ms\n", kWaitMs);
    return 1;
}

int Probe(double seconds, const QString& method)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "bench_shell: no session bus\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    while (!bus.interface()->isServiceRegistered(kService).value()) {
        if (clock.elapsed() > kWaitMs) {
            std::fprintf(stderr, "bench_shell: the player did not appear on the bus\n");
            return 1;
        }
        QThread::msleep(1);
    }
    QDBusMessage get
        = QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
    get << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("PlaybackStatus");
    const qint64 end = static_cast<qint64>(seconds * 1000.0);
    bool called = method.isEmpty();
    qint64 longest = 0;
    clock.restart();
    for (qint64 tick = 0; clock.elapsed() < end; tick += 10) {
        if (!called && clock.elapsed() >= 300) {
            // Not waited for: the answers to the status questions tell how long it holds.
            bus.asyncCall(QDBusMessage::createMethodCall(
                kService, kPath, "org.mpris.MediaPlayer2.Player", method));
            called = true;
        }
        QElapsedTimer trip;
        trip.start();
        const QDBusMessage reply = bus.call(get, QDBus::Block, kWaitMs);
        longest = std::max(longest, trip.elapsed());
        if (reply.type() == QDBusMessage::ErrorMessage) {
            std::fprintf(stderr, "bench_shell: %s\n", qPrintable(reply.errorMessage()));
            return 1;
        }
        const qint64 rest = tick + 10 - clock.elapsed();
        if (rest > 0)
            QThread::msleep(static_cast<unsigned long>(rest));
        else
            tick = clock.elapsed() - 10;
    }
    std::printf("stall_ms: %lld\n", static_cast<long long>(longest));
    return 0;
}

Window WaitShown(Display* display, const std::string& caption, bool shown)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kWaitMs) {
        const Window window = FindShown(display, caption);
        if ((window != 0) == shown)
            return shown ? window : DefaultRootWindow(display);
        usleep(10000);
    }
    return 0;
}

int ClickUpdate(int argc, char** argv)
{
    QApplication app(argc, argv);
    CLanguage language;
    language.SetProgramFolder(QString::fromLocal8Bit(argv[2]));
    if (!language.Load(QStringLiteral("English")))
        return 1;
    const QStringList& lines = language.Section(LangSection::LibraryDialog);
    // The button's place from the bottom-right corner, where the layout anchors it.
    QPoint fromCorner;
    {
        CDlgLibrary model(lines, QString());
        model.setAttribute(Qt::WA_DontShowOnScreen); // laid out, never mapped
        model.show();
        app.processEvents();
        for (QPushButton* button : model.findChildren<QPushButton*>()) {
            if (button->text() == lines.value(2)) {
                const QPoint centre = button->mapTo(&model, button->rect().center());
                fromCorner = QPoint(model.width() - centre.x(), model.height() - centre.y());
            }
        }
    }
    app.processEvents();
    Display* display = XOpenDisplay(nullptr);
    if (!display || fromCorner.isNull())
        return 1;
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const std::string caption = lines.value(0).toStdString();
    const Window dialog = WaitShown(display, caption, true);
    XWindowAttributes attributes {};
    int x = 0;
    int y = 0;
    Window child = 0;
    if (dialog == 0 || !XGetWindowAttributes(display, dialog, &attributes)
        || !XTranslateCoordinates(
            display, dialog, DefaultRootWindow(display), 0, 0, &x, &y, &child))
        return 1;
    XTestFakeMotionEvent(display, -1, x + attributes.width - fromCorner.x(),
        y + attributes.height - fromCorner.y(), 0);
    XTestFakeButtonEvent(display, 1, True, 0);
    XTestFakeButtonEvent(display, 1, False, 0);
    XFlush(display);
    // The dialog goes when the update starts.
    const bool clicked = WaitShown(display, caption, false) != 0;
    XCloseDisplay(display);
    return clicked ? 0 : 1;
}

// Clicks at x, y of the player's window and waits until its picture changes: a click that
// changes nothing missed what it was meant for, and the figures taken around it say nothing.
int Click(int x, int y)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    const Window window = FindShown(display);
    int rootX = 0;
    int rootY = 0;
    Window child = 0;
    const std::vector<unsigned long> before
        = window != 0 ? Pixels(display, window) : std::vector<unsigned long>();
    if (before.empty()
        || !XTranslateCoordinates(
            display, window, DefaultRootWindow(display), x, y, &rootX, &rootY, &child)) {
        XCloseDisplay(display);
        std::fprintf(stderr, "bench_shell: no player window to click\n");
        return 1;
    }
    XTestFakeMotionEvent(display, -1, rootX, rootY, 0);
    XTestFakeButtonEvent(display, 1, True, 0);
    XTestFakeButtonEvent(display, 1, False, 0);
    XFlush(display);
    QElapsedTimer clock;
    clock.start();
    bool changed = false;
    while (!changed && clock.elapsed() < kWaitMs) {
        usleep(5000);
        const std::vector<unsigned long> now = Pixels(display, window);
        changed = !now.empty() && now != before;
    }
    XCloseDisplay(display);
    if (!changed)
        std::fprintf(stderr, "bench_shell: the click at %d,%d changed nothing\n", x, y);
    return changed ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if ((command == "start" || command == "start-list") && argc > 2)
        return Start(argv + 2, command == "start-list");
    if (command == "update" && argc == 3)
        return ClickUpdate(argc, argv);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (command == "library" && (args.size() == 4 || args.size() == 5))
        return MakeLibrary(args[2], args[3].toInt(), args.value(4, QStringLiteral("Rock")));
    if (command == "click" && args.size() == 4)
        return Click(args[2].toInt(), args[3].toInt());
    if (command == "track" && args.size() == 4)
        return MakeTrack(args[2], args[3]);
    if (command == "probe" && args.size() >= 3)
        return Probe(args[2].toDouble(), args.size() > 3 ? args[3] : QString());
    QTextStream(stderr)
        << "usage: bench_shell library PROFILE COUNT [GENRE] | click X Y | track PROFILE PATH |"
           " start[-list] PLAYER [ARGS] | probe SECONDS [METHOD] | update PROGRAM_FOLDER\n";
    return 2;
}
