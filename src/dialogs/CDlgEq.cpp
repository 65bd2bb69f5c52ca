// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#include "CDlgEq.h"

#include "CEqSlider.h"
#include "CLanguage.h"
#include "CPlayBass.h"

#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* kBandLabels[CPlayBass::kBands] = {
    "60", "170", "310", "600", "1K", "3K", "6K", "12K", "14K", "16K"};
constexpr const char* kScaleLabels[3] = {"+12 db", "+0 db", "-12 db"};
constexpr int kSmallFontPoints = 7;
constexpr int kPresetButtonWidth = 100; // pixels
constexpr int kSliderHeight = 120; // pixels
constexpr int kMaxButtonText = 256;

QString IdName(int id)
{
    return QString::number(id);
}

} // namespace

CDlgEq::CDlgEq(
    const CLanguage& language, CPlayBass& engine, const QString& programFolder, QWidget* parent)
    : QDialog(parent)
    , m_language(language)
    , m_engine(engine)
    , m_presets(LoadEqPresets(QDir(programFolder).filePath(QStringLiteral("Equalizer/Presets.xml"))))
{
    setObjectName(IdName(kTemplateId));
    setModal(true);
    BuildControls();
    SetCaptions();
    BuildMenu();
    ShowEngineState();
}

int CDlgEq::PositionFromGain(float db)
{
    if (!std::isfinite(db))
        return 0;
    // Clamped before the arithmetic so that absurd preset values cannot overflow it.
    const double tenths = std::trunc(std::clamp(static_cast<double>(db), -1000.0, 1000.0) * 10.0);
    const int position = -(static_cast<int>(tenths) / 5);
    return std::clamp(position, kMinPosition, kMaxPosition);
}

QString CDlgEq::ValueText(int position)
{
    const int magnitude = std::abs(position);
    return QStringLiteral("%1%2.%3")
        .arg(position <= 0 ? QLatin1Char('+') : QLatin1Char('-'))
        .arg(magnitude / 2)
        .arg((magnitude % 2) * 5);
}

void CDlgEq::BuildControls()
{
    m_enable = new QCheckBox(this);
    m_enable->setObjectName(IdName(kIdEnable));
    connect(m_enable, &QCheckBox::clicked, this, &CDlgEq::OnEnableClicked);

    m_presetsLabel = new QLabel(this);
    m_presetsLabel->setObjectName(IdName(kIdPresetsLabel));
    m_presetsLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_presetButton = new QToolButton(this);
    m_presetButton->setObjectName(IdName(kIdPresetButton));
    m_presetButton->setPopupMode(QToolButton::InstantPopup);
    m_presetButton->setAutoRaise(true);
    m_presetButton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_presetButton->setMinimumWidth(kPresetButtonWidth);

    auto* top = new QHBoxLayout;
    top->addWidget(m_enable);
    top->addStretch();
    top->addWidget(m_presetsLabel);
    top->addWidget(m_presetButton);

    // The default button exists only so Enter does not close the dialog through Close.
    auto* ok = new QPushButton(this);
    ok->setObjectName(IdName(kIdOk));
    ok->setDefault(true);
    ok->hide();
    m_close = new QPushButton(this);
    m_close->setObjectName(IdName(kIdClose));
    m_close->setAutoDefault(false);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(BuildSliderRow());
    layout->addLayout(bottom);

    m_glide = new QTimer(this);
    m_glide->setInterval(kGlideIntervalMs);
    connect(m_glide, &QTimer::timeout, this, &CDlgEq::OnGlideTick);
}

QLayout* CDlgEq::BuildSliderRow()
{
    QFont small = font();
    small.setPointSize(kSmallFontPoints);
    auto makeLabel = [&](int id, const QString& text, Qt::Alignment align) {
        auto* label = new QLabel(text, this);
        label->setObjectName(IdName(id));
        label->setFont(small);
        label->setAlignment(align);
        return label;
    };

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    auto* scale = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            scale->addStretch();
        scale->addWidget(makeLabel(kIdScaleTop + i, QString::fromLatin1(kScaleLabels[i]),
            Qt::AlignRight | Qt::AlignVCenter));
    }
    grid->addLayout(scale, 0, 0);
    for (int i = 0; i < kSliderCount; ++i) {
        auto* slider = new CEqSlider(this);
        slider->setObjectName(IdName(kIdPreamp + i));
        slider->setRange(kMinPosition, kMaxPosition);
        // The lowest position is at the top: up means louder.
        slider->setInvertedAppearance(true);
        slider->setInvertedControls(true);
        slider->setPageStep(2);
        slider->setTickPosition(QSlider::NoTicks);
        slider->setMinimumHeight(kSliderHeight);
        connect(slider, &QSlider::valueChanged, this,
            [this, i](int position) { OnSliderMoved(i, position); });
        m_sliders[static_cast<std::size_t>(i)] = slider;
        // A gap separates the preamp from the bands.
        const int column = i == 0 ? 1 : i + 2;
        grid->addWidget(slider, 0, column, Qt::AlignHCenter);
        const QString text = i == 0 ? QStringLiteral("PREAMP") : QString::fromLatin1(kBandLabels[i - 1]);
        grid->addWidget(makeLabel(i == 0 ? kIdPreampLabel : kIdBandLabel + i - 1, text,
                            Qt::AlignHCenter | Qt::AlignTop),
            1, column);
    }
    // The preamp acts on the whole signal, the bands each on their own: a rule keeps them
    // apart.
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::VLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setForegroundRole(QPalette::Mid);
    grid->addWidget(rule, 0, 2, 2, 1, Qt::AlignHCenter);
    grid->setColumnMinimumWidth(2, 16);
    return grid;
}

void CDlgEq::SetCaptions()
{
    auto line = [this](int index, const char* fallback) {
        const QString text = m_language.Line(LangSection::EqualizerDialog, index);
        return text.isEmpty() ? QString::fromLatin1(fallback) : text;
    };
    setWindowTitle(line(0, "Equalizer"));
    m_close->setText(line(1, "Close"));
    m_enable->setText(line(2, "Enable"));
    m_presetsLabel->setText(line(3, "Presets:"));
}

void CDlgEq::BuildMenu()
{
    m_menu = new QMenu(this);
    auto add = [this](int id, const QString& text) {
        QAction* action = m_menu->addAction(text);
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { ChoosePreset(id); });
    };
    add(kMenuDefault, m_language.Line(LangSection::EqualizerDialog, 4));
    m_menu->addSeparator();
    for (std::size_t i = 0; i < m_presets.size(); ++i)
        add(kMenuDefault + 1 + static_cast<int>(i), m_presets[i].name);
    m_presetButton->setMenu(m_menu);
}

void CDlgEq::ShowEngineState()
{
    bool anyMoved = false;
    for (int i = 0; i < kSliderCount; ++i) {
        const float db = i == 0 ? m_engine.GetPreamp() : m_engine.GetBandGain(i - 1);
        const int position = PositionFromGain(db);
        anyMoved = anyMoved || position != 0;
        SetPosition(i, position);
    }
    m_custom = m_engine.GetPresetName().isEmpty() && anyMoved;
    m_enable->setChecked(m_engine.IsEqEnabled());
    UpdateButtonText();
}

void CDlgEq::UpdateButtonText()
{
    QString text;
    const QString preset = m_engine.GetPresetName();
    if (m_custom)
        text = m_language.Line(LangSection::EqualizerDialog, 5);
    else if (!preset.isEmpty())
        text = QString(preset).replace(QLatin1Char('&'), QLatin1String("&&"));
    else
        text = m_language.Line(LangSection::EqualizerDialog, 4);
    m_presetButton->setText(text);
}

void CDlgEq::SetPosition(int slider, int position)
{
    QSlider* s = m_sliders[static_cast<std::size_t>(slider)];
    m_settingPositions = true;
    s->setValue(position);
    m_settingPositions = false;
    s->setToolTip(ValueText(s->value()));
}

void CDlgEq::OnSliderMoved(int slider, int position)
{
    if (m_settingPositions)
        return;
    m_sliders[static_cast<std::size_t>(slider)]->setToolTip(ValueText(position));
    if (!m_custom) {
        m_custom = true;
        m_engine.SetPresetName(QString());
        UpdateButtonText();
    }
    if (m_glide->isActive()) {
        // The user took this slider over: the glide leaves it where the user put it.
        const auto i = static_cast<std::size_t>(slider);
        m_glideStep[i] = 0.0f;
        m_glideValue[i] = static_cast<float>(position);
        m_glideTarget[i] = position;
    }
    SendGain(slider, position);
    ShowValueTip(slider);
}

void CDlgEq::ShowValueTip(int slider)
{
    QSlider* s = m_sliders[static_cast<std::size_t>(slider)];
    if (!s->isVisible())
        return;
    QStyleOptionSlider option;
    option.initFrom(s);
    option.orientation = s->orientation();
    option.minimum = s->minimum();
    option.maximum = s->maximum();
    option.sliderPosition = s->sliderPosition();
    option.sliderValue = s->value();
    option.upsideDown = !s->invertedAppearance();
    const QRect handle
        = s->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, s);
    QToolTip::showText(s->mapToGlobal(handle.topRight()), ValueText(s->value()), s);
}

void CDlgEq::SendGain(int slider, int position)
{
    const float db = GainFromPosition(position);
    if (slider == 0)
        m_engine.SetPreamp(db);
    else
        m_engine.SetBandGain(slider - 1, db);
}

void CDlgEq::SendAllGains()
{
    for (int i = 0; i < kSliderCount; ++i)
        SendGain(i, m_glide->isActive() ? m_glideTarget[static_cast<std::size_t>(i)]
                                        : m_sliders[static_cast<std::size_t>(i)]->value());
}

void CDlgEq::OnEnableClicked(bool checked)
{
    m_engine.SetEqEnabled(checked);
    if (checked)
        SendAllGains();
}

void CDlgEq::ChoosePreset(int id)
{
    const int index = id - kMenuDefault - 1;
    if (id != kMenuDefault && (index < 0 || index >= static_cast<int>(m_presets.size())))
        return;
    QString text = id == kMenuDefault ? m_language.Line(LangSection::EqualizerDialog, 4)
                                      : m_presets[static_cast<std::size_t>(index)].name;
    m_custom = false;
    m_presetButton->setText(text.left(kMaxButtonText));
    m_engine.SetPresetName(id == kMenuDefault ? QString() : PresetEngineName(text));
    for (int i = 0; i < kSliderCount; ++i) {
        int target = 0;
        if (id != kMenuDefault) {
            const structPreset& preset = m_presets[static_cast<std::size_t>(index)];
            target = PositionFromGain(i == 0 ? preset.preamp : preset.gains[static_cast<std::size_t>(i - 1)]);
        }
        const auto s = static_cast<std::size_t>(i);
        m_glideTarget[s] = target;
        m_glideValue[s] = static_cast<float>(m_sliders[s]->value());
        m_glideStep[s] = (static_cast<float>(target) - m_glideValue[s]) / kGlideSteps;
        SendGain(i, target);
    }
    m_glideTicks = 0;
    m_glide->start();
}

bool CDlgEq::IsGliding() const
{
    return m_glide->isActive();
}

void CDlgEq::OnGlideTick()
{
    ++m_glideTicks;
    const bool last = m_glideTicks >= kGlideSteps;
    for (int i = 0; i < kSliderCount; ++i) {
        const auto s = static_cast<std::size_t>(i);
        m_glideValue[s] += m_glideStep[s];
        SetPosition(i, last ? m_glideTarget[s] : static_cast<int>(m_glideValue[s]));
    }
    if (last)
        m_glide->stop();
}
