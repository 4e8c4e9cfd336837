#pragma once

#include <QMainWindow>
#include <QStringList>

namespace ortolan {

// The main window.
class Ortolan : public QMainWindow {
    Q_OBJECT
public:
    explicit Ortolan(QStringList arguments, QWidget* parent = nullptr);
    ~Ortolan() override;

    void startUp();
    bool startFailed() const { return startFailed_; }

private:
    QStringList arguments_;
    bool startFailed_ = false;
};

} // namespace ortolan
