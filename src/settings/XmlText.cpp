// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "XmlText.h"

#include <tinyxml2.h>

namespace xmltext {

QString Attribute(const tinyxml2::XMLElement* element, const char* name, int maxLength)
{
    const char* value = element->Attribute(name);
    if (!value)
        return {};
    QString text = QString::fromUtf8(value);
    if (maxLength >= 0 && text.size() > maxLength) {
        qsizetype keep = maxLength;
        if (keep > 0 && text.at(keep - 1).isHighSurrogate())
            --keep;
        text.truncate(keep);
    }
    return text;
}

void SetAttribute(tinyxml2::XMLElement* element, const char* name, const QString& value)
{
    element->SetAttribute(name, value.toUtf8().constData());
}

QByteArray Print(const tinyxml2::XMLDocument& document)
{
    tinyxml2::XMLPrinter printer;
    document.Print(&printer);
    // CStrSize counts the terminating NUL.
    return QByteArray(printer.CStr(), printer.CStrSize() > 0 ? printer.CStrSize() - 1 : 0);
}

} // namespace xmltext
