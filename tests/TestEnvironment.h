// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <cstdlib>

// The environment every test runs in, whichever way it is started (ctest or by hand):
// headless, no sound card needed, and the build and shared test-data folders known.
inline void SetUpTestEnvironment()
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("PLUMO_BUILD_DIR", PLUMO_TEST_BUILD_DIR, 0);
    setenv("PLUMO_SHARED_TESTDATA", PLUMO_TEST_SHARED_DATA, 0);
}
