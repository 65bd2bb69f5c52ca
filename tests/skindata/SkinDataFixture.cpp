// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "SkinDataFixture.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace skindata {

namespace {

std::optional<int> Int(const tinyxml2::XMLElement* e, const char* name)
{
    int value = 0;
    if (e == nullptr || e->QueryIntAttribute(name, &value) != tinyxml2::XML_SUCCESS)
        return std::nullopt;
    return value;
}

// One axis of a panel: start (with a size or a distance from the far edge), else end, else 0.
std::pair<int, int> PanelAxis(std::optional<int> start, std::optional<int> end,
    std::optional<int> size, int total)
{
    if (start)
        return { *start, size ? *start + *size : end ? total - *end : *start + 40 };
    if (end)
        return { total - *end - size.value_or(40), total - *end };
    return { 0, size.value_or(40) };
}

// One axis of an element inside its panel: start, else end, else centre, else start at 0.
std::pair<int, int> ElementAxis(std::optional<int> start, std::optional<int> end,
    std::optional<int> centre, std::optional<int> size, int from, int to)
{
    const int extent = size.value_or(0);
    if (start)
        return { from + *start, size ? from + *start + extent : end ? to - *end : from + *start };
    if (end)
        return { to - *end - extent, to - *end };
    if (centre) {
        const int a = from + (to - from) / 2 + *centre - extent / 2;
        return { a, a + extent };
    }
    return { from, from + extent };
}

QRect FromEdges(int left, int top, int right, int bottom)
{
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

} // namespace

QString DataFolder()
{
    return QStringLiteral(PLUMO_SOURCE_DATA);
}

QString SkinFolder(const QString& name)
{
    return DataFolder() + "/Skin/" + name + '/';
}

std::unique_ptr<tinyxml2::XMLDocument> Parse(const QString& path)
{
    auto doc = std::make_unique<tinyxml2::XMLDocument>();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << path.toStdString();
        return nullptr;
    }
    const QByteArray bytes = file.readAll();
    if (doc->Parse(bytes.constData(), size_t(bytes.size())) != tinyxml2::XML_SUCCESS) {
        ADD_FAILURE() << "not well-formed: " << path.toStdString();
        return nullptr;
    }
    return doc;
}

QList<PlacedPanel> Layout(const QString& skin, int width, int height, const QStringList& triggers)
{
    QList<PlacedPanel> panels;
    const auto doc = Parse(SkinFolder(skin) + "Skin.xml");
    if (!doc)
        return panels;
    const tinyxml2::XMLElement* window = doc->FirstChildElement("Window");
    for (const tinyxml2::XMLElement* p = window ? window->FirstChildElement("Panel") : nullptr;
         p != nullptr; p = p->NextSiblingElement("Panel")) {
        PlacedPanel panel;
        panel.name = QString::fromUtf8(p->Attribute("Name"));
        panel.id = Int(p, "ID").value_or(0);
        panel.hidden = Int(p, "Hide").value_or(0) != 0;
        const tinyxml2::XMLElement* pos = p->FirstChildElement("Position");
        const auto [x1, x2] = PanelAxis(Int(pos, "Left"), Int(pos, "Right"), Int(pos, "Width"), width);
        const auto [y1, y2] = PanelAxis(Int(pos, "Top"), Int(pos, "Bottom"), Int(pos, "Height"), height);
        panel.rect = FromEdges(x1, y1, x2, y2);
        const tinyxml2::XMLElement* elements = p->FirstChildElement("Elements");
        for (const tinyxml2::XMLElement* e = elements ? elements->FirstChildElement() : nullptr;
             e != nullptr; e = e->NextSiblingElement()) {
            PlacedElement element;
            element.tag = QString::fromUtf8(e->Name());
            const tinyxml2::XMLElement* skinChild = e->FirstChildElement("Skin");
            element.skinFile = QString::fromUtf8(skinChild ? skinChild->Attribute("File") : nullptr);
            element.trigger = QString::fromUtf8(e->Attribute("Trigger"));
            const tinyxml2::XMLElement* at = e->FirstChildElement("Position");
            const QRect& r = panel.rect;
            const auto [ex1, ex2] = ElementAxis(Int(at, "Left"), Int(at, "Right"),
                Int(at, "LeftRight"), Int(at, "Width"), r.left(), r.right() + 1);
            const auto [ey1, ey2] = ElementAxis(Int(at, "Top"), Int(at, "Bottom"),
                Int(at, "TopBottom"), Int(at, "Height"), r.top(), r.bottom() + 1);
            element.rect = FromEdges(ex1, ey1, ex2, ey2);
            panel.elements.append(element);
        }
        panels.append(panel);
    }
    for (const QString& trigger : triggers) {
        const auto t = Parse(SkinFolder(skin) + trigger);
        if (!t)
            continue;
        for (PlacedPanel& panel : panels) {
            for (const tinyxml2::XMLElement* entry = t->FirstChildElement("Trigger")->FirstChildElement();
                 entry != nullptr; entry = entry->NextSiblingElement()) {
                if (Int(entry, "ID").value_or(0) == panel.id) {
                    panel.hidden = Int(entry, "Hide").value_or(0) != 0;
                    break;
                }
            }
        }
    }
    return panels;
}

std::optional<QColor> Colour(const char* hex)
{
    if (hex == nullptr || std::strlen(hex) != 6)
        return std::nullopt;
    bool ok = false;
    const uint value = QByteArray(hex).toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return QColor::fromRgb(QRgb(0xFF000000u | value));
}

double Contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            v /= 255.0;
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace skindata
