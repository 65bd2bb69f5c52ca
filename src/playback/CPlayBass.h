// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (c) 2026 The Plumo developers
#pragma once

#include "LoudnessGain.h"
#include "TrackRecord.h"
#include "audio/IAudioLib.h"
#include "platform/UserMessage.h"

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class CMsgTarget;

// The playback engine: the only owner of audio output. Plays one local file or internet stream
// at a time through the audio layer, fades on stop, pause, resume and seek, and applies the
// equalizer to every channel it creates. Track changes are prepared ahead: when the decoder of
// the file playing has read all of it (up to the layer's buffer length before it is heard to
// end), the engine asks the notify window synchronously (UWM_PLAYERNEXTFILE) which track
// follows, opens it and queues it in the layer to start at the frame after the last one; when
// that seam is heard, the engine takes the new channel as its main channel and posts
// UWM_PLAYERTRACKEND. Stop, Seek, PlayFile, OpenFile and OpenURL in between cancel what was
// prepared.
//
// Notifications (all posted, except UWM_PLAYERNEXTFILE which is sent and waited for):
//   UWM_PLAYERNEXTFILE  wParam = QString* owned by the engine, to be filled with the next path
//                       or stream address (left empty to end playback).
//   UWM_PLAYERTRACKEND  wParam 1 when the next file could not be opened; lParam 1 when the next
//                       entry is a stream whose connection has just started.
//   UWM_PLAYERMETA      the stream's metadata changed (read it with ReadStreamTitle).
//   UWM_PLAYERCONNECT   wParam 0 connected (opened) and playing, 2 network failure, 1 other
//                       failure; only for the address or file still wanted when the
//                       connection or the opening finished. lParam is the number of the
//                       request it answers (see IsCurrentRequest).
//
// Every public method runs on the notify window's thread (the UI thread) unless it says
// otherwise. Positions are 0..100000 parts of the track's length; volume levels 0..100000.
//
// The engine relies on the layer running sync callbacks off the device's real-time thread and
// without holding anything that the layer's own calls wait for, so a callback may call back
// into the layer and may block on the engine's lock or on the UI thread (the next-file
// request) without a deadlock or a glitch.
class CPlayBass {
public:
    static constexpr int kBands = 10;
    static constexpr int kMaxLevel = 100000;
    static constexpr int kFadeMs = 500;
    static constexpr std::array<float, kBands> kBandCenters{
        60.0f, 170.0f, 310.0f, 600.0f, 1000.0f, 3000.0f, 6000.0f, 12000.0f, 14000.0f, 16000.0f};

    // The layer must outlive the engine.
    explicit CPlayBass(IAudioLib& audio);
    // Fades out what plays (and waits for the fade to be heard), frees the channel and the
    // layer, which lets a pending connection or file opening go at once (a file that never
    // answers is left to the layer's detached opener), joins the workers and saves the
    // equalizer state. UI thread. An end-of-track question still waiting for the notify window
    // is released unanswered, so a track ending during shut-down cannot hang it.
    virtual ~CPlayBass();

    CPlayBass(const CPlayBass&) = delete;
    CPlayBass& operator=(const CPlayBass&) = delete;

    // Folders, set before Init; a trailing separator is optional.
    void SetProgramFolder(const QString& folder) { m_programFolder = folder; }
    void SetProfileFolder(const QString& folder) { m_profileFolder = folder; }

    // Opens the output (a missing device is not an error here: later channels fail instead),
    // remembers the notify window and loads the equalizer state. Returns true.
    bool Init(CMsgTarget* notifyWindow);

    // Starts a local file from its beginning at full effective volume. False when the layer
    // cannot open it; nothing else changes then. Waits for the open: a window that must not
    // wait uses OpenFile.
    bool PlayFile(const QString& path);
    // PlayFile without the wait: stops what plays, then opens the file on a worker of its own
    // and starts it there, as PlayFile would, when it is still wanted. The outcome arrives as
    // UWM_PLAYERCONNECT (0 playing, 1 the file cannot be played: missing, not audio, or not a
    // regular file). A later OpenFile, PlayFile, OpenURL or Stop supersedes it: its channel is
    // freed unheard and nothing is posted. Returns true.
    bool OpenFile(const QString& path);
    // Starts connecting to an internet stream on the connection worker; the outcome arrives as
    // UWM_PLAYERCONNECT. Only the newest address asked for is connected. Returns true. Any thread
    // that holds no engine lock (also called from the end-of-track handling).
    bool OpenURL(const QString& address);
    // True when lParam of a UWM_PLAYERCONNECT answers the newest OpenFile, OpenURL, PlayFile or
    // Stop: a result posted just before a newer request was made is stale.
    bool IsCurrentRequest(LParam request) const;
    // True for "http://", "https://" and "ftp://" addresses, whatever their case. Any thread.
    static bool IsStreamAddress(const QString& text);

    // Fades out over 500 ms; the channel is freed when the fade has run out. Also abandons a
    // pending connection.
    void Stop();
    // Fade out to a halt keeping the position / fade back in. Files only. While a seek is
    // opening the file they decide whether the rebuilt channel starts.
    void Pause();
    void Resume();
    // Rebuilds the channel at position (0..100000) and fades it in; a paused file plays again.
    // The file is opened again on a worker of its own, so a share that went away in the middle
    // of the track holds that worker and never the caller; nothing sounds meanwhile. A later
    // Seek, OpenFile, PlayFile, OpenURL or Stop supersedes it. Files only; ignored while
    // stopped or playing a stream.
    void Seek(int position);
    // 0..100000; 0 without a channel, for streams and for files of unknown or zero length.
    int GetPosition() const;
    // Seconds into the playing file or stream (what was heard, whole seconds); 0 without a
    // channel. Lock-free, UI thread.
    qint64 GetElapsedSeconds() const;
    // The playing file's length in whole seconds; 0 without a channel, for streams and for
    // files of unknown length. Lock-free, UI thread.
    qint64 GetLengthSeconds() const;

    // Volume level 0..100000; Up and Down move it by 5000 within the limits and return the new
    // level for the volume slider.
    void SetVolume(int level);
    int VolumeUp();
    int VolumeDown();
    void SetMute(bool on);
    int GetVolumeLevel() const;
    bool IsMute() const;

    // Equalizer. Values are stored in any case; they reach the channel at once when its effects
    // exist, otherwise with the next channel. Gains in dB; band 0..9 (out of range ignored).
    void SetEqEnabled(bool on);
    void SetPreamp(float db);
    void SetBandGain(int band, float db);
    // Adds the effects to the main channel (when enabled) and sends the preamp and the bands.
    void ApplyEq();
    bool IsEqEnabled() const;
    float GetPreamp() const;
    float GetBandGain(int band) const;
    QString GetPresetName() const;
    void SetPresetName(const QString& name);
    // "Equalizer/Equalizer.xml" below the profile folder (none without a profile folder). A
    // missing or broken file keeps the current state; a missing child reads as 0.0. Saving
    // replaces the file atomically and reports failure only by its result.
    void LoadEqState();
    bool SaveEqState() const;

    // Loudness: which stored gain each file plays at, and how clipping is prevented. A change
    // reaches the file heard (gliding over IAudioLib::kGainGlideMs) and the one prepared to
    // follow it. A file's gains are its tags'; one whose tags hold none plays by the gains
    // SetStoredGains named for it.
    void SetLoudness(const LoudnessSettings& settings);
    LoudnessSettings GetLoudness() const;
    // Whether the file opened next is played as part of an album in its order, which Auto
    // mode plays at album gain; files already open keep their gain. Set before PlayFile or
    // OpenFile, or while answering UWM_PLAYERNEXTFILE.
    void SetAlbumOrder(bool inOrder);
    // Gains measured for a file (by loudness analysis), used from the next time the file is
    // opened when its tags hold none; empty gains forget them. Any thread.
    void SetStoredGains(const QString& path, const TrackGains& gains);
    // Where the gains of a file whose tags hold none are looked up when none were set above:
    // a library of a quarter of a million files is asked for one file as it opens instead of
    // being read whole at start-up. Called on whichever thread opens a file, with no lock of
    // the engine's held but the operation lock of a synchronous PlayFile. Any thread.
    using GainsLookup = std::function<TrackGains(const QString& path)>;
    void SetGainsLookup(GainsLookup lookup);
    // The gains a file plays at: its tags', else the stored ones. Any thread; reads the file.
    TrackGains GainsOf(const QString& path) const;

    // The 1024 magnitudes of a 2048-sample FFT of what the main channel plays now. False (data
    // untouched) when there is no channel.
    bool GetFftData(std::array<float, kFftBins>& data) const;

    // Tag reader for the library update; any thread. False when the file is not audio.
    static bool ReadTags(const QString& path, TrackRecord& record);
    // Splits the current stream metadata into the caller's title, artist and album.
    void ReadStreamTitle(QString& title, QString& artist, QString& album) const;

    // State flags, readable from any thread.
    bool IsPlaying() const { return m_playing.load(); }
    bool IsPaused() const { return m_paused.load(); }
    bool IsStream() const { return m_stream.load(); }
    HCHANNEL GetChannel() const { return m_channel.load(); }

private:
    using Lock = std::unique_lock<std::mutex>;

    // A channel's equalizer effects (none while channel is 0).
    struct EqSlot {
        HCHANNEL channel = 0;
        HFX preamp = 0;
        HFX bands = 0;
    };
    // The track change being prepared for the end of the main channel.
    struct Lookahead {
        HCHANNEL ending = 0;   // the main channel whose end it is for; 0 when none
        std::uint64_t id = 0;  // the question out; a cancelled one's answer finds another id
        bool answered = false; // answer holds the main window's reply
        bool heard = false;    // the end was heard before the answer came
        QString answer;
        HCHANNEL next = 0;     // the file channel opened for the answer; 0 when none or failed
        bool linked = false;   // next is queued in the layer to follow `ending`
        EqSlot fx;             // next's equalizer
        TrackGains gains;      // next's stored gains
    };

    static void EndSync(HSYNC sync, HCHANNEL channel, void* user);
    static void DecodeEndSync(HSYNC sync, HCHANNEL channel, void* user);
    void OnDecodeEnd(HCHANNEL channel);
    bool PrepareNextFileLocked(Lock& lock, std::uint64_t id);
    void FinishTrackLocked(Lock& lock);
    void CancelLookaheadLocked(Lock& lock);
    static void MetaSync(HSYNC sync, HCHANNEL channel, void* user);
    static void SlideSync(HSYNC sync, HCHANNEL channel, void* user);
    struct NextFileRequest;
    void OnEnd(HCHANNEL channel);
    std::optional<QString> AskNextFile();
    void CancelRequests();
    void OnStreamEndLocked(Lock& lock);
    void OnSlideEnd(HCHANNEL channel);

    void ConnectWorker();
    void FileWorker(const QString& path, std::uint64_t request);
    void SeekWorker(const QString& path, int position, std::uint64_t request, std::uint64_t seek);
    void SupersedeLocked(Lock& lock);
    void InstallFileLocked(Lock& lock, HCHANNEL handle, const QString& path,
        const TrackGains& gains);
    void JoinFinishedOpenersLocked(Lock& lock);
    bool InstallStreamLocked(Lock& lock, HCHANNEL handle);
    static WParam ConnectCode(HCHANNEL handle, AudioError error);
    bool OpenURLLocked(Lock& lock, const QString& address);
    void JoinFinishedWorkerLocked(Lock& lock);
    void WaitForWorkers();

    void SetUpFileChannelLocked(Lock& lock, HCHANNEL handle, const TrackGains& gains);
    void SendGainLocked(Lock& lock, HCHANNEL handle, const TrackGains& gains);
    void FreeMainLocked(Lock& lock);
    void InstallMainLocked(Lock& lock, HCHANNEL handle);
    void SendVolumeLocked(Lock& lock);
    void ApplyEqLocked(Lock& lock);
    void AddEqLocked(Lock& lock, EqSlot& slot, HCHANNEL handle);
    void SendEqValuesLocked(Lock& lock, const EqSlot& slot);
    void RemoveEqLocked(Lock& lock);
    void SetLevelLocked(Lock& lock, int level);
    QString EqStatePath() const;

    IAudioLib& m_audio;
    QString m_programFolder;
    QString m_profileFolder;
    CMsgTarget* m_notify = nullptr; // set by Init before any channel exists; read-only after

    // The operation lock: serialises the UI thread's operations, the worker's compare-and-install
    // and the end-of-track handling after its answer. Never held across SendMsg or the blocking
    // connect; the metadata and slide-end callbacks never take it.
    mutable std::mutex m_mutex;
    QString m_currentFile;   // guarded by m_mutex
    QString m_wantedAddress; // guarded by m_mutex; the handshake with the worker
    // The channel heard. Written under m_mutex, except that the slide-end callback clears it by
    // compare-and-exchange; whoever takes a handle out of it frees that handle.
    std::atomic<HCHANNEL> m_channel{0};
    std::atomic<bool> m_playing{false}; // written under m_mutex
    std::atomic<bool> m_paused{false};  // written under m_mutex
    std::atomic<bool> m_stream{false};  // written under m_mutex

    std::thread m_worker;               // guarded by m_mutex
    bool m_workerRunning = false;       // guarded by m_mutex
    // The number of the newest request (OpenFile, OpenURL, PlayFile, Stop); a file worker
    // installs its channel only while its own number is still the newest.
    std::uint64_t m_request = 0; // guarded by m_mutex
    // The number of the newest Seek; a seek worker installs its channel only while both its
    // numbers are still the newest.
    std::uint64_t m_seeks = 0; // guarded by m_mutex
    // One worker per OpenFile or Seek, so that a file stuck opening never delays the next one;
    // each adds its id to m_openersDone as its last step under the lock, and is joined later.
    std::vector<std::thread> m_openers; // guarded by m_mutex
    std::vector<std::thread::id> m_openersDone; // guarded by m_mutex

    // End-of-track questions waiting for the notify window; the destructor releases them,
    // since the window can no longer answer once the engine is being destroyed.
    std::vector<std::shared_ptr<NextFileRequest>> m_requests; // guarded by m_mutex
    bool m_closing = false;                                    // guarded by m_mutex

    int m_level = kMaxLevel;            // guarded by m_mutex
    bool m_mute = false;                // guarded by m_mutex
    float m_effectiveVolume = 1.0f;     // guarded by m_mutex

    Lookahead m_next;                   // guarded by m_mutex
    std::uint64_t m_lookaheadIds = 0;   // guarded by m_mutex

    int m_eqEnabled = 0;                // guarded by m_mutex
    EqSlot m_mainFx;                    // guarded by m_mutex
    float m_preamp = 0.0f;              // guarded by m_mutex
    std::array<float, kBands> m_gains{}; // guarded by m_mutex
    QString m_presetName;               // guarded by m_mutex

    LoudnessSettings m_loudness;        // guarded by m_mutex
    bool m_albumOrder = false;          // guarded by m_mutex
    TrackGains m_mainGains;             // guarded by m_mutex; of m_channel's file
    mutable std::mutex m_storedMutex;   // a leaf
    std::map<QString, TrackGains> m_storedGains; // guarded by m_storedMutex
    GainsLookup m_gainsLookup;          // guarded by m_storedMutex
};
