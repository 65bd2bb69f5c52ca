// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "CPlayBass.h"
#include "EngineTarget.h"
#include "TestProfile.h"
#include "audio/CAudioLib.h"

#include <QFile>

#include <memory>

// The engine and the real audio layer writing to SDL's disk driver, which keeps every mixed
// sample (stereo float at 44100 Hz, no real-time pacing) in out.raw of a fresh profile. A
// fixture takes it as a second base; the device is closed, and the file complete, after
// Finish() or at the end of the test.
class DiskEngine {
protected:
    DiskEngine()
        : m_out(m_dir.File("out.raw"))
    {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(m_out));
        qputenv("SDL_DISKAUDIODELAY", "0");
        m_audio = std::make_unique<CAudioLib>();
        m_engine = std::make_unique<CPlayBass>(*m_audio);
        m_engine->SetProfileFolder(m_dir.Path());
        m_engine->Init(&m_target);
    }
    ~DiskEngine()
    {
        Finish();
        qputenv("SDL_AUDIODRIVER", "dummy");
    }
    DiskEngine(const DiskEngine&) = delete;
    DiskEngine& operator=(const DiskEngine&) = delete;

    void Finish()
    {
        if (!m_engine)
            return;
        m_engine->Stop();
        EngineTarget::PumpUntil([this] { return m_engine->GetChannel() == 0; }, 3000);
        m_engine.reset();
        m_audio.reset();
    }

    TestProfile m_dir;
    QString m_out;
    EngineTarget m_target;
    std::unique_ptr<CAudioLib> m_audio;
    std::unique_ptr<CPlayBass> m_engine;
};
