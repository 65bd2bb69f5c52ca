// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// "Equalizer/Equalizer.xml" of a profile folder through the engine's equalizer state loader.
// The audio layer is never started: loading the state touches no device.
#include "CAudioLib.h"
#include "CPlayBass.h"
#include "FuzzSupport.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // One engine for the whole run, as in the program: each load starts from what the
    // previous file left.
    static CAudioLib audio;
    static CPlayBass* engine = [] {
        QDir().mkpath(fuzz::Folder() + QStringLiteral("/Equalizer"));
        auto* e = new CPlayBass(audio);
        e->SetProfileFolder(fuzz::Folder());
        return e;
    }();
    fuzz::WriteInput(fuzz::Folder() + QStringLiteral("/Equalizer/Equalizer.xml"), data, size);
    engine->LoadEqState();
    (void)engine->IsEqEnabled();
    (void)engine->GetPreamp();
    (void)engine->GetPresetName();
    return 0;
}
