// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CQuorvaApp.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char kUsage[] =
    "Usage: plumo [FILE|URL]...\n"
    "Plays music files, playlists and stream addresses in the skinned player and keeps the\n"
    "music library. A second start hands its files to the player that runs already.\n"
    "\n"
    "  --help       print this text and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are accepted as well.\n";

} // namespace

int main(int argc, char** argv)
{
    // Answered before the application object exists, so they need no display, touch no
    // profile and never reach a player that runs already.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("plumo %s\n", PLUMO_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    CQuorvaApp app(argc, argv);
    return app.Run();
}
