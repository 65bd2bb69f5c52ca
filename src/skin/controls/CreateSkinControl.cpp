// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CreateSkinControl.h"

#include "CSkinButton.h"
#include "CSkinCover.h"
#include "CSkinRating.h"
#include "CSkinSwitch.h"
#include "CSkinText.h"
#include "CSkinTrack.h"

namespace {

std::unique_ptr<CSkinElement> MakeForKind(SkinKind kind)
{
    switch (kind) {
    case SkinKind::Play:
    case SkinKind::Pause:
    case SkinKind::Stop:
    case SkinKind::Next:
    case SkinKind::Previous:
    case SkinKind::Close:
    case SkinKind::Minimize:
    case SkinKind::Button:
    case SkinKind::Equalizer:
        return std::make_unique<CSkinButton>();
    case SkinKind::PlayPause:
    case SkinKind::Mute:
    case SkinKind::Repeat:
    case SkinKind::Shuffle:
        return std::make_unique<CSkinSwitch>();
    case SkinKind::VolumeBar:
    case SkinKind::TrackBar:
        return std::make_unique<CSkinTrack>();
    case SkinKind::Rating:
        return std::make_unique<CSkinRating>();
    case SkinKind::Title:
    case SkinKind::Artist:
    case SkinKind::Album:
    case SkinKind::Time:
        return std::make_unique<CSkinText>();
    case SkinKind::Cover:
        return std::make_unique<CSkinCover>();
    case SkinKind::None:
    case SkinKind::Library:
    case SkinKind::Playlist:
    case SkinKind::Spectrum:
    case SkinKind::Search:
        break;
    }
    return std::make_unique<CSkinElement>();
}

} // namespace

std::unique_ptr<CSkinElement> CreateSkinControl(int kind)
{
    const bool known = kind >= 0 && kind <= static_cast<int>(SkinKind::Search);
    const SkinKind skinKind = known ? static_cast<SkinKind>(kind) : SkinKind::None;
    std::unique_ptr<CSkinElement> element = MakeForKind(skinKind);
    element->SetType(static_cast<int>(skinKind));
    return element;
}
