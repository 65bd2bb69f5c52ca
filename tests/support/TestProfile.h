// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh temporary folder for one test, removed afterwards. Paths end without a separator.
class TestProfile {
public:
    TestProfile();

    QString Path() const { return m_dir.path(); }
    // Path of name inside the folder.
    QString File(const QString& name) const;
    // Writes bytes to name (creating folders on the way); returns the full path.
    QString Write(const QString& name, const QByteArray& bytes) const;
    QByteArray Read(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Folder of the shared test data that cannot be generated (e.g. APE files); empty when absent.
QString SharedTestData();
