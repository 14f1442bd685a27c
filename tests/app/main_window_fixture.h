// A fresh, shown main window per test, with messages recorded instead of shown in boxes,
// and a check at the end that no top-level window was left behind.
#pragma once

#include "tmdi_child.h"
#include "tmf.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// Lets GoogleTest print Qt strings readably in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<TMF>();
        window->messageSink = [this](const QString& m) { messages.append(m); };
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override {
        window.reset();
        QApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_FALSE(w->isVisible()) << "window left open: " << w->objectName().toStdString();
    }

    QStringList logLines() const { return window->RE->toPlainText().split('\n'); }

    // Closes a document window and lets its deferred deletion run.
    void closeDocument(TMDIChild* child) {
        child->close();
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <typename T = QWidget> T* find(const char* name) const {
        return window->findChild<T*>(name);
    }

    std::unique_ptr<TMF> window;
    QStringList messages;
};
