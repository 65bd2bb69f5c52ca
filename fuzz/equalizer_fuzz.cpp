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
    static CAudioLib audio;
    static const QString profile = [] {
        QDir().mkpath(fuzz::Folder() + QStringLiteral("/Equalizer"));
        return fuzz::Folder();
    }();
    fuzz::WriteInput(profile + QStringLiteral("/Equalizer/Equalizer.xml"), data, size);
    CPlayBass engine(audio);
    engine.SetProfileFolder(profile);
    engine.LoadEqState();
    (void)engine.IsEqEnabled();
    (void)engine.GetPreamp();
    (void)engine.GetPresetName();
    return 0;
}
