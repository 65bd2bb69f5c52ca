// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "XmlFile.h"

#include "XmlLimits.h"

#include <QSaveFile>

#include <tinyxml2.h>

namespace XmlFile {

bool Read(const QString& path, tinyxml2::XMLDocument& doc)
{
    // A profile folder may come from anywhere: its files are read under the common limits.
    return xmllimits::ReadFile(path, doc);
}

bool Write(const QString& path, const tinyxml2::XMLDocument& doc)
{
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    // CStrSize() counts the terminating zero, which does not belong in the file.
    const qint64 size = printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0;
    if (file.write(printer.CStr(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace XmlFile
