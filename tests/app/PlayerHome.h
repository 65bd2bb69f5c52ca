// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "TestProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QString>

// For a window made in this process: the profile and configuration folders lie in home. The
// profile folder follows from the application's name, as in the player.
inline void UseHome(const TestProfile& home)
{
    QCoreApplication::setApplicationName("Plumo");
    QCoreApplication::setOrganizationName(QString());
    qputenv("XDG_DATA_HOME", home.File("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", home.File("config").toUtf8());
}

// Uses home as UseHome does and gives it a profile folder holding settings, for a test that
// writes the library before the window opens; returns that folder, ending in "/".
inline QString UseProfile(const TestProfile& home,
    const QByteArray& settings = "<?xml version=\"1.0\"?><Settings/>")
{
    UseHome(home);
    home.Write("data/Plumo/Settings.xml", settings);
    return home.File("data/Plumo/");
}

// The real player executable of this build, started as a separate process.
inline QString PlayerPath()
{
    return qEnvironmentVariable("PLUMO_BUILD_DIR") + "/bin/plumo";
}

// An environment whose profile, configuration and runtime folders lie in home, offscreen and
// with silent audio. The runtime folder is made as the desktop makes it: the user's alone.
inline QProcessEnvironment PlayerEnv(const TestProfile& home)
{
    QDir().mkpath(home.File("run"));
    QFile::setPermissions(
        home.File("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert("XDG_DATA_HOME", home.File("data"));
    env.insert("XDG_CONFIG_HOME", home.File("config"));
    env.insert("XDG_RUNTIME_DIR", home.File("run"));
    return env;
}
