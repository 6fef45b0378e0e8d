// The linear file system: a pair of file managers that wrap another one and record, in one
// sequential ".lin" file, everything a run reads through them (FFileManagerLinearSave), then
// serve a later run's same sequence of opens and reads from that file alone
// (FFileManagerLinearLoad). The free functions below drive them. Only reading is recorded;
// writers always go straight to the wrapped manager.
//
// The ".lin" file has no header, padding or trailer. Every open through the recording manager
// appends one byte, 1 when the file opened (then its size, 4 bytes little-endian) or 0 when it
// did not; every read appends exactly the bytes asked for. Replay is positional: it is right
// only when the run opens the same files and reads the same counts in the same order.
#pragma once

#include "tvCore/core/files/tvFileManager.h"
#include "tvCore/core/files/tvFileArchiveLinear.h"

namespace Tolvane {

enum ELoadingMode {
    LOADINGMODE_Off = 0,
    LOADINGMODE_Save = 1,  // record
    LOADINGMODE_Load = 2,  // replay
};

// The longest name appLinearFileSystemStart takes, in code units without the terminator.
constexpr int GLinearFileNameMaxLength = 255;

// Stores the mode and makes the manager the caller installs as GFileManager: a recording
// manager (mode 1) or a replaying one (mode 2) over a new native manager, or for any other
// mode the native manager itself. Null when memory is refused.
TVCORE_API FFileManager* appLinearFileSystemInit(ELoadingMode Mode);
// Remembers Name (without ".lin") and, when the mode is not 0, starts GFileManager's recording
// into, or replay from, Name followed by ".lin". Paused is cleared. The file system counts as
// started only when GFileManager is a linear manager and the ".lin" file opened; otherwise reads
// go on to the wrapped manager as if it were off. A null name, or one longer than
// GLinearFileNameMaxLength units, is refused with a log line and changes nothing.
TVCORE_API void appLinearFileSystemStart(const tvWChar* Name);
// Closes the ".lin" file when started; later opens go to the wrapped manager.
TVCORE_API void appLinearFileSystemEnd();
// While paused, opens go straight to the wrapped manager: nothing is recorded and, when
// replaying, the real files are read. Readers opened before the pause go on as they were.
TVCORE_API void appLinearFileSystemPause();
TVCORE_API void appLinearFileSystemResume();
// 1 while recording / replaying is active (the mode, started, not paused), else 0.
TVCORE_API int appLinearFileSystemIsSaving();
TVCORE_API int appLinearFileSystemIsLoading();
// The name given to the last accepted start, without ".lin" (empty before the first).
TVCORE_API const tvWChar* appLinearFileSystemGetFileName();

// The base of both linear managers: owns the wrapped manager and the ".lin" stream's channel,
// passes writers on, and keeps the FFileManager base behaviour for everything else (ticks,
// asynchronous readers, initialisation, file search and directory listing are not passed on).
class TVCORE_API FFileManagerLinear : public FFileManager {
public:
    // Takes ownership of Wrapped (may be null: then every open and writer is refused).
    explicit FFileManagerLinear(FFileManager* Wrapped);
    // Ends the stream, then deletes the wrapped manager.
    ~FFileManagerLinear() override;
    FFileManagerLinear(const FFileManagerLinear&) = delete;
    FFileManagerLinear& operator=(const FFileManagerLinear&) = delete;

    FFileWriter* CreateWriter(const tvWChar* Path) override;
    // Opens Name followed by ".lin" (a stream that was open is ended first).
    virtual void Start(const tvWChar* Name) = 0;
    // Closes the ".lin" file. Readers still alive then stop recording or replaying.
    virtual void End() = 0;

    FFileManager* GetWrappedManager() const { return Wrapped; }
    // True between a Start that opened the ".lin" file and End.
    bool IsStreamOpen() const;

protected:
    // Closes the ".lin" file and lets go of its channel (readers still alive keep the channel,
    // without a stream).
    void EndStream();

    FFileManager* Wrapped;
    FLinearChannel* Channel;  // null when not started
};

// Records every open and read into the ".lin" file while recording is active.
class TVCORE_API FFileManagerLinearSave : public FFileManagerLinear {
public:
    explicit FFileManagerLinearSave(FFileManager* Wrapped);
    ~FFileManagerLinearSave() override;

    // The wrapped manager's reader; while recording, the open is recorded and the reader is
    // wrapped in a recording reader.
    FFileReader* CreateReader(const tvWChar* Path) override;
    // The ".lin" file is written through the wrapped manager's CreateWriter. Over the native
    // manager it is written beside its final name and takes that name at End, so an earlier
    // recording is only replaced by a finished one.
    void Start(const tvWChar* Name) override;
    void End() override;
};

// Serves opens and reads from the ".lin" file while replay is active.
class TVCORE_API FFileManagerLinearLoad : public FFileManagerLinear {
public:
    explicit FFileManagerLinearLoad(FFileManager* Wrapped);
    ~FFileManagerLinearLoad() override;

    // While replaying: the recorded outcome of the open, the path not looked at. Once the
    // recording has run out, the wrapped manager's reader (said once in the log).
    FFileReader* CreateReader(const tvWChar* Path) override;
    void Start(const tvWChar* Name) override;
    void End() override;
};

} // namespace Tolvane
