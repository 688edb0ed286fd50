#include "platform/Application.h"

#include "platform/UserDialogs.h"

namespace plat {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showException(e);
    } catch (...) {
        showUnknownException();
    }
    return false;
}

}  // namespace plat
