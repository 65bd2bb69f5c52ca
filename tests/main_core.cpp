// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
// Test entry for logic tests: a QCoreApplication, so queued messages and timers work.
#include <QCoreApplication>

#include "TestEnvironment.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    SetUpTestEnvironment();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
