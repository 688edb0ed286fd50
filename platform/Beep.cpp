#include "platform/Beep.h"

#include <QApplication>

namespace plat {
namespace {

class RealBeep final : public BeepService {
public:
    void beep(unsigned) override { QApplication::beep(); }
};

RealBeep realBeep;
BeepService* current = &realBeep;

}  // namespace

void MessageBeep(unsigned type) { current->beep(type); }

void setBeepService(BeepService* service) { current = service ? service : &realBeep; }

}  // namespace plat
