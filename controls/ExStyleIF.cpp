#include "controls/ExStyleIF.h"

#include "platform/Guard.h"
#include "platform/Themes.h"

#include <QCoreApplication>

namespace {

const TNoRegistry machineRegistry;
std::atomic<const IRegistryReader*> registryReader{nullptr};

std::mutex factoryLock;
TKeyChangeWatcherFactory watcherFactory;

// This machine has no registry: no key opens.
class NoKeyWatcher final : public IKeyChangeWatcher {
public:
    bool Open(uint32_t, const QString&, bool, uint32_t) override { return false; }
    TWaitResult Wait() override { return wrFailed; }
    void Wake() override {}
};

std::unique_ptr<IKeyChangeWatcher> makeWatcher() {
    std::lock_guard lock(factoryLock);
    if (watcherFactory) return watcherFactory();
    return std::make_unique<NoKeyWatcher>();
}

const QString office14Common = QStringLiteral("Software\\Microsoft\\Office\\14.0\\Common");
const QString office12Common = QStringLiteral("Software\\Microsoft\\Office\\12.0\\Common");

QPointer<TThemeNotifier> processNotifier;

}  // namespace

bool IsVistaOrLater() { return true; }

QString DefaultUIFontName() { return IsVistaOrLater() ? QStringLiteral("Segoe UI") : QStringLiteral("Tahoma"); }

void SetRegistryReader(const IRegistryReader* Reader) { registryReader.store(Reader); }

const IRegistryReader& RegistryReader() {
    const IRegistryReader* r = registryReader.load();
    return r ? *r : machineRegistry;
}

int ColorSchemeOfName(const QString& ColorName) {
    // The known name must hold the scheme's name; an empty one names no scheme.
    if (ColorName.isEmpty()) return 0;
    if (QStringLiteral("NormalColor").contains(ColorName)) return 1;
    if (QStringLiteral("HomeStead").contains(ColorName)) return 2;
    if (QStringLiteral("Metallic").contains(ColorName)) return 3;
    return 0;
}

int CurrentColorScheme() {
    using namespace plat;
    if (!IsWindowsXPOrLater() || !ThemeBindingLoaded() || !IsThemeActive() || !IsComCtl6()) return 0;
    return ColorSchemeOfName(CurrentThemeColorName());
}

TOfficeTheme DetectOfficeTheme(const IRegistryReader& Reader, int ColorScheme) {
    switch (Reader.ReadInteger(office14Common, QStringLiteral("Theme")).value_or(-1)) {
    case -1: break;
    case 1: return ot2010Blue;
    case 2: return ot2010Silver;
    case 3: return ot2010Black;
    default: return ot2003Blue;
    }
    switch (Reader.ReadInteger(office12Common, QStringLiteral("Theme")).value_or(-1)) {
    case -1: break;
    case 1: return ot2007Blue;
    case 2: return ot2007Silver;
    case 3: return ot2007Black;
    default: return ot2003Blue;
    }
    switch (ColorScheme) {
    case 0: return ot2003Classic;
    case 2: return ot2003Olive;
    case 3: return ot2003Silver;
    default: return ot2003Blue;
    }
}

TOfficeTheme DetectOfficeTheme() { return DetectOfficeTheme(RegistryReader(), CurrentColorScheme()); }

int OfficeVersion(const IRegistryReader& Reader) {
    if (Reader.KeyExists(office14Common + QStringLiteral("\\General"))) return 2;
    if (Reader.KeyExists(office12Common + QStringLiteral("\\General"))) return 1;
    return 0;
}

int OfficeVersion() { return OfficeVersion(RegistryReader()); }

QEvent::Type OfficeThemeChangeEventType() {
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType(QEvent::User + WM_OFFICETHEMECHANGE));
    return type;
}

void SetKeyChangeWatcherFactory(TKeyChangeWatcherFactory Factory) {
    std::lock_guard lock(factoryLock);
    watcherFactory = std::move(Factory);
}

// ---- THandleList ----

int THandleList::Add(QObject* Handle) {
    items_.emplace_back(Handle);
    return Count() - 1;
}

void THandleList::Insert(int Index, QObject* Handle) {
    if (Index < 0 || Index > Count()) return;
    items_.insert(items_.begin() + Index, QPointer<QObject>(Handle));
}

void THandleList::Delete(int Index) {
    if (valid(Index)) items_.erase(items_.begin() + Index);
}

void THandleList::DeleteValue(QObject* Handle) {
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if (it->data() == Handle) {
            items_.erase(it);
            return;
        }
}

bool THandleList::HasValue(QObject* Handle) const {
    for (const auto& p : items_)
        if (p.data() == Handle) return true;
    return false;
}

QObject* THandleList::GetInteger(int Index) const { return valid(Index) ? items_[size_t(Index)].data() : nullptr; }

void THandleList::SetInteger(int Index, QObject* Handle) {
    if (valid(Index)) items_[size_t(Index)] = Handle;
}

// ---- TRegMonitorThread ----

struct TRegMonitorThread::State {
    uint32_t rootKey = HKEY_CURRENT_USER;
    QString key;
    QPointer<QObject> wnd;
    mutable std::mutex listLock;  // the list and the error
    THandleList windows;
    QString error;
    std::mutex deliverLock;
    std::condition_variable delivered;
    uint64_t posted = 0, done = 0;
    std::atomic<bool> terminated{false};
    bool delivering = false;  // user-interface thread only

    void deliver() {
        // A copy of the list, so that a window told of the change may change the list.
        std::vector<QPointer<QObject>> targets;
        if (wnd) targets.emplace_back(wnd);
        {
            std::lock_guard lock(listLock);
            for (int i = 0; i < windows.Count(); ++i) targets.emplace_back(windows.GetInteger(i));
        }
        for (const QPointer<QObject>& target : targets) {
            if (terminated) return;
            if (!target) continue;
            TOfficeThemeChangeEvent notice(rootKey, key);
            QCoreApplication::sendEvent(target.data(), &notice);
        }
    }
};

TRegMonitorThread::TRegMonitorThread(std::unique_ptr<IKeyChangeWatcher> Watcher)
    : state_(std::make_shared<State>()), watcher_(std::move(Watcher)), dispatcher_(std::make_unique<QObject>()) {}

TRegMonitorThread::~TRegMonitorThread() {
    Stop();
    // Destroyed by a window it is telling: the dispatcher is still running that delivery.
    if (state_->delivering) dispatcher_.release()->deleteLater();
}

void TRegMonitorThread::SetRootKey(uint32_t Key) { state_->rootKey = Key; }
void TRegMonitorThread::SetKey(const QString& Key) { state_->key = Key; }
void TRegMonitorThread::SetWnd(QObject* Window) { state_->wnd = Window; }

void TRegMonitorThread::Start() {
    if (thread_.joinable() || !watcher_) return;
    state_->terminated = false;
    running_ = true;
    thread_ = std::thread([this] { execute(); });
}

void TRegMonitorThread::Stop() {
    {
        std::lock_guard lock(state_->deliverLock);
        state_->terminated = true;
    }
    state_->delivered.notify_all();
    if (thread_.joinable()) {
        watcher_->Wake();
        thread_.join();
    }
    running_ = false;
}

QString TRegMonitorThread::ErrorMessage() const {
    std::lock_guard lock(state_->listLock);
    return state_->error;
}

void TRegMonitorThread::AddWindow(QObject* Window) {
    std::lock_guard lock(state_->listLock);
    if (Window && !state_->windows.HasValue(Window)) state_->windows.Add(Window);
}

void TRegMonitorThread::RemoveWindow(QObject* Window) {
    std::lock_guard lock(state_->listLock);
    state_->windows.DeleteValue(Window);
}

int TRegMonitorThread::WindowCount() const {
    std::lock_guard lock(state_->listLock);
    return state_->windows.Count();
}

void TRegMonitorThread::execute() {
    const std::shared_ptr<State> s = state_;
    auto fail = [&](const QString& message) {
        std::lock_guard lock(s->listLock);
        s->error = message;
    };
    // Nothing may leave the thread: a failing watcher ends it with its message.
    try {
        if (!watcher_->Open(s->rootKey, s->key, watchSubtree_, Filter())) {
            fail(QStringLiteral("Unable to open registry key ") + s->key);
        } else {
            while (!s->terminated) {
                const IKeyChangeWatcher::TWaitResult r = watcher_->Wait();
                if (s->terminated) break;
                if (r != IKeyChangeWatcher::wrChanged) continue;
                // The windows are told on the dispatcher's thread while this one waits; stopping
                // ends the wait, so a user-interface thread that stops never waits for itself.
                uint64_t ticket;
                {
                    std::lock_guard lock(s->deliverLock);
                    ticket = ++s->posted;
                }
                QMetaObject::invokeMethod(
                    dispatcher_.get(),
                    [s, ticket] {
                        if (!s->terminated) {
                            s->delivering = true;
                            plat::guarded([&] { s->deliver(); });
                            s->delivering = false;
                        }
                        {
                            std::lock_guard lock(s->deliverLock);
                            s->done = ticket;
                        }
                        s->delivered.notify_all();
                    },
                    Qt::QueuedConnection);
                std::unique_lock lock(s->deliverLock);
                s->delivered.wait(lock, [&] { return s->done >= ticket || s->terminated; });
            }
        }
    } catch (const std::exception& e) {
        fail(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        fail(QStringLiteral("Registry monitor failed"));
    }
    running_ = false;
}

// ---- TThemeNotifierWindow ----

TThemeNotifierWindow::TThemeNotifierWindow(QWidget* Parent) : QWidget(Parent) {
    setAttribute(Qt::WA_DontShowOnScreen);
    hide();
}

bool TThemeNotifierWindow::event(QEvent* Event) {
    if (Event->type() != OfficeThemeChangeEventType()) return QWidget::event(Event);
    // The handler may destroy this window (with its notifier): nothing of it is touched after.
    if (OnOfficeThemeChange) {
        const auto handler = OnOfficeThemeChange;
        plat::guarded([&] { handler(this); });
    }
    return true;
}

// ---- TThemeNotifier ----

TThemeNotifier::TThemeNotifier(QObject* AOwner) : QObject(AOwner) {
    const int version = OfficeVersion();
    if (version != 1 && version != 2) return;
    window_ = new TThemeNotifierWindow(qobject_cast<QWidget*>(AOwner));
    window_->OnOfficeThemeChange = [this](QObject*) {
        // A copy: the handler may destroy this notifier.
        if (const auto handler = OnOfficeThemeChange) handler(this);
    };
    monitor_ = std::make_unique<TRegMonitorThread>(makeWatcher());
    monitor_->SetWnd(window_);
    monitor_->SetFilter(4);  // changes of values
    monitor_->SetKey(version == 2 ? office14Common : office12Common);
    monitor_->SetRootKey(HKEY_CURRENT_USER);
    monitor_->SetWatchSubtree(true);
    monitor_->Start();
}

TThemeNotifier::~TThemeNotifier() {
    // The monitor reads the window, so it ends first.
    monitor_.reset();
    delete window_.data();
}

void TThemeNotifier::RegisterWindow(QObject* Handle) {
    if (monitor_) monitor_->AddWindow(Handle);
}

void TThemeNotifier::UnRegisterWindow(QObject* Handle) {
    if (monitor_) monitor_->RemoveWindow(Handle);
}

TThemeNotifier* GetThemeNotifier(QObject* AOwner) {
    if (!processNotifier) processNotifier = new TThemeNotifier(AOwner);
    return processNotifier.data();
}
