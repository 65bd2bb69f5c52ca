// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "EqPresets.h"

#include <QDialog>
#include <QString>

#include <array>
#include <vector>

class CLanguage;
class CPlayBass;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;
class QToolButton;

// The equalizer dialog: a preamp and ten band sliders, the on/off box and the presets button.
// It edits the engine's equalizer state directly (every change is heard at once) and keeps
// nothing itself; the engine saves the state at exit. Texts come from the "EqualizerDialog"
// section (0 caption, 1 Close, 2 Enable, 3 presets label, 4 the flat default, 5 the text shown
// while the sliders match no preset). Modal, UI thread only.
//
// Slider positions run from -24 (top, +12 dB) to +24 (bottom, -12 dB): gain = -position x 0.5.
class CDlgEq : public QDialog {
    Q_OBJECT
public:
    // Template and control ids; each control's object name is its id in decimal.
    static constexpr int kTemplateId = 136;
    static constexpr int kIdOk = 1;
    static constexpr int kIdClose = 2;
    static constexpr int kIdPreamp = 1047; // bands follow: 1048..1057
    static constexpr int kIdEnable = 1059;
    static constexpr int kIdScaleTop = 1062; // 1063 middle, 1064 bottom
    static constexpr int kIdBandLabel = 1065; // ..1074
    static constexpr int kIdPreampLabel = 1075;
    static constexpr int kIdPresetsLabel = 1076;
    static constexpr int kIdPresetButton = 1077;
    static constexpr int kSliderCount = 11; // the preamp, then bands 1..10
    static constexpr int kMinPosition = -24;
    static constexpr int kMaxPosition = 24;
    static constexpr int kMenuDefault = 10000; // presets follow from 10001
    static constexpr int kGlideSteps = 10;
    static constexpr int kGlideIntervalMs = 15;

    // Reads the presets from programFolder/"Equalizer/Presets.xml" (none when missing or broken)
    // and shows the engine's state. The engine must outlive the dialog.
    CDlgEq(const CLanguage& language, CPlayBass& engine, const QString& programFolder,
        QWidget* parent = nullptr);

    // The slider position that shows gain g: -(truncate(g x 10) / 5), the division truncating;
    // non-finite gains show 0 and the result is kept within the sliders' range.
    static int PositionFromGain(float db);
    static float GainFromPosition(int position) { return static_cast<float>(-position) * 0.5f; }
    // The tooltip text of a position: "+1.5" for -3, "-2.0" for 4, "+0.0" for 0.
    static QString ValueText(int position);

    // What choosing menu item id does (kMenuDefault, or kMenuDefault + 1 + preset index): the
    // engine gets the target gains at once and the sliders glide to them. Unknown ids are
    // ignored.
    void ChoosePreset(int id);

    const std::vector<structPreset>& Presets() const { return m_presets; }
    QMenu* PresetsMenu() const { return m_menu; }
    bool IsGliding() const;

private:
    void BuildControls();
    QLayout* BuildSliderRow();
    void SetCaptions();
    void BuildMenu();
    void ShowEngineState();
    void UpdateButtonText();
    void SetPosition(int slider, int position);
    void OnSliderMoved(int slider, int position);
    void OnEnableClicked(bool checked);
    void SendAllGains();
    void SendGain(int slider, int position);
    void OnGlideTick();
    void ShowValueTip(int slider);

    const CLanguage& m_language;
    CPlayBass& m_engine;
    std::vector<structPreset> m_presets;
    std::array<QSlider*, kSliderCount> m_sliders{};
    std::array<float, kSliderCount> m_glideValue{};
    std::array<float, kSliderCount> m_glideStep{};
    std::array<int, kSliderCount> m_glideTarget{};
    int m_glideTicks = 0;
    bool m_custom = false;
    bool m_settingPositions = false; // positions set by the dialog itself are not user moves
    QCheckBox* m_enable = nullptr;
    QLabel* m_presetsLabel = nullptr;
    QToolButton* m_presetButton = nullptr;
    QMenu* m_menu = nullptr;
    QPushButton* m_close = nullptr;
    QTimer* m_glide = nullptr;
};
