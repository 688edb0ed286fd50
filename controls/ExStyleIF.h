#pragma once
// Styles and theme support shared by the string grid and the drop-down editors: component styles and
// colour tones pushed into a control, the system tests, the office colour theme read from the
// registry, and the notifier that tells registered windows when that theme changes.
#include "platform/Colors.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

enum TSkinStyle : uint8_t {
    tsOffice2003Blue, tsOffice2003Silver, tsOffice2003Olive, tsOffice2003Classic, tsOffice2007Luna,
    tsOffice2007Obsidian, tsWindowsXP, tsWhidbey, tsCustom, tsOffice2007Silver, tsWindowsVista, tsWindows7,
    tsTerminal, tsOffice2010Blue, tsOffice2010Silver, tsOffice2010Black
};

enum TOfficeTheme : uint8_t {
    ot2003Blue, ot2003Silver, ot2003Olive, ot2003Classic, ot2007Blue, ot2007Silver, ot2007Black, ot2010Blue,
    ot2010Silver, ot2010Black, otUnknown
};

struct TColorTone {
    plat::TColor BrushColor = plat::clNone;
    plat::TColor BorderColor = plat::clNone;
    plat::TColor TextColor = plat::clNone;
};

struct TColorTones {
    TColorTone Background, Foreground, Selected, Hover, Disabled;
};

// A control takes styles or tones by deriving from these.
class ISkinStyle {
public:
    virtual ~ISkinStyle() = default;
    virtual void SetComponentStyle(TSkinStyle AStyle) = 0;
};

class ISkinTones {
public:
    virtual ~ISkinTones() = default;
    virtual void SetColorTones(const TColorTones& ATones) = 0;
};

bool IsVistaOrLater();
// "Segoe UI" on Vista or later, else "Tahoma".
QString DefaultUIFontName();

// ---- Registry ----
inline constexpr uint32_t HKEY_CURRENT_USER = 0x80000001u;

// Reads values under HKEY_CURRENT_USER. A reader may throw plat::Error for a value of another type
// than asked for.
class IRegistryReader {
public:
    virtual ~IRegistryReader() = default;
    virtual bool KeyExists(const QString& Key) const = 0;
    // The integer value Name of Key; nothing when the key or the value is missing.
    virtual std::optional<int> ReadInteger(const QString& Key, const QString& Name) const = 0;
};

// The registry of this machine: it has no keys.
class TNoRegistry final : public IRegistryReader {
public:
    bool KeyExists(const QString&) const override { return false; }
    std::optional<int> ReadInteger(const QString&, const QString&) const override { return std::nullopt; }
};

// The reader DetectOfficeTheme and the notifier use; null puts the machine's back.
void SetRegistryReader(const IRegistryReader* Reader);
const IRegistryReader& RegistryReader();

// The colour scheme of a visual-style colour name: 1 "NormalColor", 2 "HomeStead", 3 "Metallic",
// 0 otherwise (an empty name included).
int ColorSchemeOfName(const QString& ColorName);
// The colour scheme of the current visual style.
int CurrentColorScheme();

TOfficeTheme DetectOfficeTheme(const IRegistryReader& Reader, int ColorScheme);
TOfficeTheme DetectOfficeTheme();
// 2 for office 14, 1 for office 12, 0 for neither.
int OfficeVersion(const IRegistryReader& Reader);
int OfficeVersion();

// ---- Change notification ----
// The notice a window receives when the watched key changes.
inline constexpr int WM_OFFICETHEMECHANGE = 2993;
// The event type of that notice.
QEvent::Type OfficeThemeChangeEventType();

class TOfficeThemeChangeEvent final : public QEvent {
public:
    TOfficeThemeChangeEvent(uint32_t RootKey, const QString& KeyPath)
        : QEvent(OfficeThemeChangeEventType()), RootKey(RootKey), KeyPath(KeyPath) {}
    const uint32_t RootKey;
    const QString KeyPath;
};

// Waits for changes of one registry key. Wait blocks until the key changes or Wake is called.
class IKeyChangeWatcher {
public:
    enum TWaitResult { wrChanged, wrWoken, wrFailed };
    virtual ~IKeyChangeWatcher() = default;
    // False when the key cannot be opened.
    virtual bool Open(uint32_t RootKey, const QString& KeyPath, bool WatchSubtree, uint32_t Filter) = 0;
    virtual TWaitResult Wait() = 0;
    // Makes a waiting or the next Wait return wrWoken; callable from any thread.
    virtual void Wake() = 0;
};

// Makes the watcher of a new monitor thread; tests put in fakes. Null puts the machine's back (it
// opens no key).
using TKeyChangeWatcherFactory = std::function<std::unique_ptr<IKeyChangeWatcher>()>;
void SetKeyChangeWatcherFactory(TKeyChangeWatcherFactory Factory);

// Window handles; a window destroyed while listed is skipped.
class THandleList {
public:
    int Count() const { return int(items_.size()); }
    int Add(QObject* Handle);
    void Insert(int Index, QObject* Handle);
    void Delete(int Index);
    void DeleteValue(QObject* Handle);
    bool HasValue(QObject* Handle) const;
    QObject* GetInteger(int Index) const;
    void SetInteger(int Index, QObject* Handle);

private:
    bool valid(int i) const { return i >= 0 && i < Count(); }
    std::vector<QPointer<QObject>> items_;
};

// Watches one key with a thread of its own and tells the notification window, then the listed
// windows in order, of every change, each on its own thread while the monitor waits. The list may
// be changed from any thread. Stop wakes the watcher and joins the thread.
class TRegMonitorThread {
public:
    // Created suspended; the dispatching lives on the creating thread.
    explicit TRegMonitorThread(std::unique_ptr<IKeyChangeWatcher> Watcher);
    // Stops. A window told of a change may destroy the monitor (with its notifier) meanwhile.
    ~TRegMonitorThread();
    TRegMonitorThread(const TRegMonitorThread&) = delete;
    TRegMonitorThread& operator=(const TRegMonitorThread&) = delete;

    // Set before Start.
    void SetRootKey(uint32_t Key);
    void SetKey(const QString& Key);
    void SetWatchSubtree(bool On) { watchSubtree_ = On; }
    uint32_t Filter() const { return filter_ == 0 ? 15 : filter_; }
    void SetFilter(uint32_t F) { filter_ = F; }
    void SetWnd(QObject* Window);

    void Start();
    void Stop();
    bool Running() const { return running_.load(); }
    // Why the thread ended on its own ("Unable to open registry key ..."); empty otherwise.
    QString ErrorMessage() const;

    void AddWindow(QObject* Window);      // once per window
    void RemoveWindow(QObject* Window);   // nothing when absent
    int WindowCount() const;

    // What the thread and the deliveries on the user-interface thread share; a delivery keeps it
    // alive when a window it tells destroys the monitor.
    struct State;

private:
    void execute();
    std::shared_ptr<State> state_;
    std::unique_ptr<IKeyChangeWatcher> watcher_;
    bool watchSubtree_ = false;
    uint32_t filter_ = 0;
    std::unique_ptr<QObject> dispatcher_;  // lives on the creating thread
    std::thread thread_;
    std::atomic<bool> running_{false};
};

// An invisible window that fires OnOfficeThemeChange when it is told of a change.
class TThemeNotifierWindow : public QWidget {
public:
    explicit TThemeNotifierWindow(QWidget* Parent = nullptr);
    std::function<void(QObject* Sender)> OnOfficeThemeChange;

protected:
    bool event(QEvent* Event) override;
};

class TThemeNotifier : public QObject {
public:
    // With an office of version 12 or 14 the notifier gets its window (on AOwner, when it is a
    // widget) and a running monitor of the office's key; otherwise neither.
    explicit TThemeNotifier(QObject* AOwner = nullptr);
    ~TThemeNotifier() override;

    void RegisterWindow(QObject* Handle);
    void UnRegisterWindow(QObject* Handle);
    bool HasMonitor() const { return monitor_ != nullptr; }
    TRegMonitorThread* Monitor() const { return monitor_.get(); }
    TThemeNotifierWindow* Window() const { return window_.data(); }

    std::function<void(QObject* Sender)> OnOfficeThemeChange;

private:
    QPointer<TThemeNotifierWindow> window_;
    std::unique_ptr<TRegMonitorThread> monitor_;
};

// The process-wide notifier, made on first use and owned by AOwner; after it is destroyed the next
// call makes a new one.
TThemeNotifier* GetThemeNotifier(QObject* AOwner);
