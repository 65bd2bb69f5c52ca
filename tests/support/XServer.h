// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QProcess>

// An Xvfb of the test's own on a free display (it names the display on its standard output),
// ended with the object. Name() is empty when Xvfb is not installed or did not start.
class XServer {
public:
    explicit XServer(const char* screen = "320x240x24");
    ~XServer();
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const QByteArray& Name() const { return m_name; }

private:
    QProcess m_process;
    QByteArray m_name;
};
