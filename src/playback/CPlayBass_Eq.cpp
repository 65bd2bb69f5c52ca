// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
//
// The equalizer side of the engine: its state, the effects on the main channel and the state
// file. Every function here takes the engine's operation lock (see CPlayBass.cpp).
#include "CPlayBass.h"

#include "XmlLimits.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <tinyxml2.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <string>

namespace {

constexpr const char* kBandElements[CPlayBass::kBands] = {"Band01", "Band02", "Band03", "Band04",
    "Band05", "Band06", "Band07", "Band08", "Band09", "Band10"};

std::string GainText(float db)
{
    // One decimal, and never "-0.0".
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(db));
    if (std::string(text) == "-0.0")
        return "0.0";
    return text;
}

float ReadGain(const tinyxml2::XMLElement* parent, const char* name)
{
    const tinyxml2::XMLElement* child = parent->FirstChildElement(name);
    double value = 0.0;
    if (child != nullptr)
        child->QueryDoubleAttribute("Gain", &value);
    return std::isfinite(value) ? static_cast<float>(value) : 0.0f;
}

} // namespace

void CPlayBass::SendEqValuesLocked(Lock&, const EqSlot& slot)
{
    m_audio.FxSetVolume(slot.preamp, std::pow(10.0f, m_preamp / 20.0f));
    for (int band = 0; band < kBands; ++band)
        m_audio.FxSetPeakEq(slot.bands, PeakEqBand{band, 1.0f, kBandCenters[band], m_gains[band]});
}

void CPlayBass::AddEqLocked(Lock& lock, EqSlot& slot, HCHANNEL handle)
{
    if (m_eqEnabled == 0 || handle == 0 || slot.channel == handle)
        return;
    slot.preamp = m_audio.ChannelSetFxVolume(handle, 0);
    slot.bands = m_audio.ChannelSetFxPeakEq(handle, 1);
    slot.channel = handle;
    SendEqValuesLocked(lock, slot);
}

void CPlayBass::ApplyEqLocked(Lock& lock)
{
    // The file prepared to follow is shaped like the one playing, so the seam is not heard.
    AddEqLocked(lock, m_mainFx, m_channel.load());
    AddEqLocked(lock, m_next.fx, m_next.next);
}

void CPlayBass::RemoveEqLocked(Lock&)
{
    for (EqSlot* slot : {&m_mainFx, &m_next.fx}) {
        // A channel freed meanwhile only makes these calls fail.
        if (slot->channel != 0) {
            m_audio.ChannelRemoveFx(slot->channel, slot->preamp);
            m_audio.ChannelRemoveFx(slot->channel, slot->bands);
        }
        *slot = EqSlot{};
    }
}

void CPlayBass::ApplyEq()
{
    Lock lock(m_mutex);
    ApplyEqLocked(lock);
}

void CPlayBass::SetEqEnabled(bool on)
{
    Lock lock(m_mutex);
    m_eqEnabled = on ? 1 : 0;
    if (on)
        ApplyEqLocked(lock);
    else
        RemoveEqLocked(lock);
}

void CPlayBass::SetPreamp(float db)
{
    if (!std::isfinite(db))
        return;
    Lock lock(m_mutex);
    m_preamp = db;
    for (const EqSlot* slot : {&m_mainFx, &m_next.fx})
        if (slot->channel != 0)
            m_audio.FxSetVolume(slot->preamp, std::pow(10.0f, db / 20.0f));
}

void CPlayBass::SetBandGain(int band, float db)
{
    if (band < 0 || band >= kBands || !std::isfinite(db))
        return;
    Lock lock(m_mutex);
    m_gains[static_cast<std::size_t>(band)] = db;
    for (const EqSlot* slot : {&m_mainFx, &m_next.fx})
        if (slot->channel != 0)
            m_audio.FxSetPeakEq(slot->bands, PeakEqBand{band, 1.0f, kBandCenters[band], db});
}

bool CPlayBass::IsEqEnabled() const
{
    Lock lock(m_mutex);
    return m_eqEnabled != 0;
}

float CPlayBass::GetPreamp() const
{
    Lock lock(m_mutex);
    return m_preamp;
}

float CPlayBass::GetBandGain(int band) const
{
    if (band < 0 || band >= kBands)
        return 0.0f;
    Lock lock(m_mutex);
    return m_gains[static_cast<std::size_t>(band)];
}

QString CPlayBass::GetPresetName() const
{
    Lock lock(m_mutex);
    return m_presetName;
}

void CPlayBass::SetPresetName(const QString& name)
{
    Lock lock(m_mutex);
    m_presetName = name;
}

QString CPlayBass::EqStatePath() const
{
    // Without a profile folder there is no state file (rather than one in the working folder).
    if (m_profileFolder.isEmpty())
        return QString();
    return QDir(m_profileFolder).filePath(QStringLiteral("Equalizer/Equalizer.xml"));
}

void CPlayBass::LoadEqState()
{
    const QString path = EqStatePath();
    if (path.isEmpty())
        return;
    tinyxml2::XMLDocument doc;
    if (!xmllimits::ReadFile(path, doc))
        return;
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Equalizer");
    if (root == nullptr)
        return;
    Lock lock(m_mutex);
    const char* preset = root->Attribute("Preset");
    m_presetName = preset != nullptr ? QString::fromUtf8(preset) : QString();
    int enabled = m_eqEnabled;
    if (root->QueryIntAttribute("Enable", &enabled) == tinyxml2::XML_SUCCESS)
        m_eqEnabled = enabled != 0 ? 1 : 0;
    m_preamp = ReadGain(root, "Preamp");
    for (int band = 0; band < kBands; ++band)
        m_gains[static_cast<std::size_t>(band)] = ReadGain(root, kBandElements[band]);
}

bool CPlayBass::SaveEqState() const
{
    tinyxml2::XMLDocument doc;
    doc.InsertEndChild(doc.NewDeclaration("xml version=\"1.0\" encoding=\"UTF-8\""));
    tinyxml2::XMLElement* root = doc.NewElement("Equalizer");
    doc.InsertEndChild(root);
    {
        Lock lock(m_mutex);
        root->SetAttribute("Enable", m_eqEnabled);
        root->SetAttribute("Preset", m_presetName.toUtf8().constData());
        auto addGain = [&doc, root](const char* name, float db) {
            tinyxml2::XMLElement* child = doc.NewElement(name);
            child->SetAttribute("Gain", GainText(db).c_str());
            root->InsertEndChild(child);
        };
        addGain("Preamp", m_preamp);
        for (int band = 0; band < kBands; ++band)
            addGain(kBandElements[band], m_gains[static_cast<std::size_t>(band)]);
    }
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    const QString path = EqStatePath();
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    // Written beside the old file and renamed over it, so a crash never leaves it truncated.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(printer.CStr(), printer.CStrSize() - 1);
    return file.commit();
}
