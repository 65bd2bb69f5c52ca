// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// plumo-art DATA_FOLDER [MOCK_FOLDER]: writes DATA_FOLDER/Skin/Default, DATA_FOLDER/Skin/Frost
// and DATA_FOLDER/Icon from the drawing code; with MOCK_FOLDER also previews of both skins at
// several window sizes (for looking at, not shipped). Exit status 1 when a file cannot be
// written.
#include "Skins.h"

#include <QGuiApplication>

#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fputs("usage: plumo-art DATA_FOLDER [MOCK_FOLDER]\n", stderr);
        return 2;
    }
    try {
        std::unique_ptr<CArtWriter> mocks;
        if (args.size() == 3)
            mocks = std::make_unique<CArtWriter>(args[2]);
        BuildDefaultSkin(CArtWriter(args[1] + "/Skin/Default"), mocks.get());
        BuildFrostSkin(CArtWriter(args[1] + "/Skin/Frost"), mocks.get());
        BuildAppIcon(CArtWriter(args[1] + "/Icon"));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "plumo-art: %s\n", error.what());
        return 1;
    }
    return 0;
}
