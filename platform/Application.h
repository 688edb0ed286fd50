#pragma once
#include <QApplication>

namespace plat {

// The application object: any exception that still reaches the event loop goes to the general
// error handler instead of ending the program.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace plat
