// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "EqPresets.h"

#include "XmlLimits.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kBandElements[10] = {"Band01", "Band02", "Band03", "Band04", "Band05",
    "Band06", "Band07", "Band08", "Band09", "Band10"};

float ReadGain(const tinyxml2::XMLElement* preset, const char* name)
{
    const tinyxml2::XMLElement* child = preset->FirstChildElement(name);
    double value = 0.0;
    if (child != nullptr)
        child->QueryDoubleAttribute("Gain", &value);
    if (!std::isfinite(value))
        return 0.0f;
    const double limit = kPresetGainLimit;
    return static_cast<float>(std::clamp(value, -limit, limit));
}

QString DisplayName(const char* utf8)
{
    QString name = utf8 != nullptr ? QString::fromUtf8(utf8) : QString();
    name.truncate(kMaxPresetName);
    return name.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

std::vector<structPreset> LoadEqPresets(const QString& path)
{
    std::vector<structPreset> presets;
    tinyxml2::XMLDocument doc;
    if (!xmllimits::ReadFile(path, doc))
        return presets;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Presets");
    if (root == nullptr)
        return presets;
    for (const tinyxml2::XMLElement* e = root->FirstChildElement();
         e != nullptr && static_cast<int>(presets.size()) < kMaxPresets;
         e = e->NextSiblingElement()) {
        structPreset preset;
        preset.name = DisplayName(e->Attribute("Name"));
        preset.preamp = ReadGain(e, "Preamp");
        for (std::size_t band = 0; band < preset.gains.size(); ++band)
            preset.gains[band] = ReadGain(e, kBandElements[band]);
        presets.push_back(std::move(preset));
    }
    return presets;
}

QString PresetEngineName(const QString& displayName)
{
    QString name = displayName;
    return name.replace(QLatin1String("&&"), QLatin1String("&"));
}
