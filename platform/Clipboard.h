#pragma once
// The system clipboard behind one replaceable service: data is handed over as MIME data (the
// clipboard owns it from then on) and read back as MIME data. Tests replace it or use the platform's
// own in-process clipboard.
class QMimeData;

namespace plat {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Takes Data over; false when the clipboard refused it (Data is freed then).
    virtual bool Set(QMimeData* Data) = 0;
    // What the clipboard holds now (owned by the clipboard), nil when it cannot be read.
    virtual const QMimeData* Get() = 0;
    virtual void Clear() = 0;
};

// The service in use; by default the system clipboard.
Clipboard& clipboard();
// Replaces the service; nullptr restores the system clipboard. The caller keeps ownership.
void setClipboard(Clipboard* Service);

}  // namespace plat
