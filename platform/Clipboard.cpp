#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace plat {

namespace {

class SystemClipboard final : public Clipboard {
public:
    bool Set(QMimeData* Data) override {
        QClipboard* c = QGuiApplication::clipboard();
        if (!c) {
            delete Data;
            return false;
        }
        c->setMimeData(Data);
        return true;
    }
    const QMimeData* Get() override {
        QClipboard* c = QGuiApplication::clipboard();
        return c ? c->mimeData() : nullptr;
    }
    void Clear() override {
        if (QClipboard* c = QGuiApplication::clipboard()) c->clear();
    }
};

Clipboard*& current() {
    static Clipboard* service = nullptr;
    return service;
}

}  // namespace

Clipboard& clipboard() {
    static SystemClipboard system;
    return current() ? *current() : system;
}

void setClipboard(Clipboard* Service) {
    current() = Service;
}

}  // namespace plat
