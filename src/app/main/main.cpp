// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CQuorvaApp.h"

int main(int argc, char** argv)
{
    CQuorvaApp app(argc, argv);
    return app.Run();
}
