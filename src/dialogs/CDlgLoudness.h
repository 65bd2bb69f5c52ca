// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include <QDialog>
#include <QStringList>

class QDoubleSpinBox;
class QLabel;
class QPushButton;

// Modal dialog for the two levels the gain stage adds: the preamp over the stored gains of
// tagged files, and the gain that files without any stored gain play at. Both are edited in dB
// and handed back in hundredths of a dB, within the range the settings keep. UI thread only.
// Each control's object name is its template id in decimal.
class CDlgLoudness : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;
    static constexpr int kIdPreamp = 1110;
    static constexpr int kIdUntagged = 1111;
    static constexpr int kIdPreampLabel = 1112;
    static constexpr int kIdUntaggedLabel = 1113;

    // Both levels: -kMaxHundredths..+kMaxHundredths, in steps of half a dB by the arrows; any
    // hundredth can be typed.
    static constexpr int kMaxHundredths = 1500;

    explicit CDlgLoudness(QWidget* parent = nullptr);

    // Caption, Cancel, OK, the preamp's label and the untagged gain's label. Missing lines read
    // as empty.
    void SetLines(const QStringList& lines);
    // The levels shown, clamped to the range.
    void SetValues(int preampHundredths, int untaggedHundredths);

    // What the user confirmed; the values given to SetValues until then.
    int Preamp() const { return m_preamp; }
    int Untagged() const { return m_untagged; }

public Q_SLOTS:
    void accept() override;

private:
    QDoubleSpinBox* m_preampBox;
    QDoubleSpinBox* m_untaggedBox;
    QLabel* m_preampLabel;
    QLabel* m_untaggedLabel;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    int m_preamp = 0;
    int m_untagged = 0;
};
