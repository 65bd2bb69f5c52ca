// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CSkinPanelElement.h"

#include "XmlText.h"

#include <QVariant>
#include <QWidget>

#include <tinyxml2.h>

#include <array>
#include <cstring>

namespace {

// The window property naming the element that last placed a shown window.
constexpr const char* kPlacedBy = "plumoSkinPlacedBy";

// Indexed by kind; 0 has no tag.
constexpr std::array<const char*, 26> kTags = {
    "",
    "Play",
    "PlayPause",
    "Pause",
    "Stop",
    "Next",
    "Previous",
    "VolumeBar",
    "TrackBar",
    "Mute",
    "Close",
    "Minimize",
    "Library",
    "Playlist",
    "Button",
    "Cover",
    "Spectrum",
    "Rating",
    "Title",
    "Artist",
    "Repeat",
    "Shuffle",
    "Album",
    "Equalizer",
    "Time",
    "Search",
};

} // namespace

int CSkinPanelElement::KindOf(const char* tag)
{
    if (!tag || !*tag)
        return 0;
    for (std::size_t kind = 1; kind < kTags.size(); ++kind) {
        if (std::strcmp(tag, kTags[kind]) == 0)
            return static_cast<int>(kind);
    }
    return 0;
}

const char* CSkinPanelElement::TagOf(int kind)
{
    if (kind <= 0 || kind >= static_cast<int>(kTags.size()))
        return "";
    return kTags[static_cast<std::size_t>(kind)];
}

void CSkinPanelElement::Load(const QString& skinFolder, const tinyxml2::XMLElement* element,
    const SkinControlFactory& factory, bool hidden, qreal dpr)
{
    m_tag = QString::fromUtf8(element->Name());
    const tinyxml2::XMLElement* skin = element->FirstChildElement("Skin");
    if (skin && skin->Attribute("File")) {
        m_skinFile = xmltext::Attribute(skin, "File", kMaxFileLength);
        const int kind = KindOf(element->Name());
        if (factory)
            m_control = factory(kind);
        if (!m_control)
            m_control = std::make_unique<CSkinElement>();
        m_control->SetType(kind);
        m_control->SetHidden(hidden);
        m_control->SetDevicePixelRatio(dpr);
        m_control->LoadSkin(skinFolder + m_skinFile);
        m_defaultWidth = m_control->GetWidth();
        m_defaultHeight = m_control->GetHeight();
        if (kind == static_cast<int>(SkinKind::Button) && element->Attribute("Trigger")) {
            const QString trigger = xmltext::Attribute(element, "Trigger", kMaxFileLength);
            m_control->GetTrigger().Load(skinFolder + trigger);
        }
    } else {
        m_control = std::make_unique<CSkinElement>();
        m_control->SetHidden(hidden);
        m_defaultWidth = m_control->GetWidth();
        m_defaultHeight = m_control->GetHeight();
    }
    m_position = SkinPosition::Read(element, m_defaultWidth, m_defaultHeight);
}

void CSkinPanelElement::Layout(const SkinRect& panel)
{
    const SkinRect r = m_position.present ? m_position.Place(panel) : panel;
    m_control->SetRect(r);
    QWidget* window = m_control->GetWindow();
    if (!window)
        return;
    // Several elements may place one window (a list that widens when a panel folds away): a
    // shown element places and shows it; a hidden one hides it only when no other element
    // placed it last, whatever order the panels come in.
    const QVariant placedBy = window->property(kPlacedBy);
    const auto self = QVariant::fromValue(reinterpret_cast<quintptr>(this));
    if (!m_control->IsHidden()) {
        window->setProperty(kPlacedBy, self);
    } else if (placedBy.isValid() && placedBy != self) {
        return;
    }
    window->setGeometry(r.ToQRect());
    window->setVisible(!m_control->IsHidden());
}
