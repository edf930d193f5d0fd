#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gui/main_window.hpp"
#include "scripted_file_dialogs.hpp"
#include "support/fakes.hpp"
#include "support/qt_application.hpp"
#include "support/test_folder.hpp"

namespace ts::testing {

// The window with scripted dialogs: the prompt answers "Hello, Textscape"
// until a test says otherwise, the file dialogs give what the test sets, the
// settings live in a fresh folder and every message box is kept instead of
// shown. The window starts, and makes its first picture, in SetUp.
class WindowFixture : public ::testing::Test {
protected:
    // What a fixture sets up in `base` before the window starts (and the
    // file the window is started with, if any, and its clock).
    virtual void beforeStart() {}

    void SetUp() override {
        application();
        base = freshFolder();
        beforeStart();
        auto scripted = std::make_unique<ScriptedDialog>();
        scripted->answer = "Hello, Textscape";
        dialog = scripted.get();
        form = std::make_unique<Form1>(std::move(scripted), std::make_unique<FixedClock>(windowClock));
        auto fileDialogs = std::make_unique<ScriptedFileDialogs>();
        files = fileDialogs.get();
        form->setFileDialogs(std::move(fileDialogs));
        form->setSettingsFile(QString::fromStdString((base / "settings.ini").string()));
        form->setErrorReport([this](const QString& text) { errors.push_back(text.toStdString()); });
        form->setSaveFailureReport([this](const QString& text) { saveFailures.push_back(text.toStdString()); });
        form->setOpenFailureReport([this](const QString& text) { openFailures.push_back(text.toStdString()); });
        form->tools().onStage = [this](std::string_view stage) {
            if (stage == "RenderField") ++pictures;
        };
        form->start(startFile);
    }
    void TearDown() override {
        if (form && form->ended()) testing::takePendingEnd();
    }

    std::filesystem::path base;
    std::filesystem::path startFile;       // as "textscape FILE.png" names it
    FixedClock windowClock = testClock();  // the window's clock, unless beforeStart sets another
    ScriptedDialog* dialog = nullptr;
    ScriptedFileDialogs* files = nullptr;
    std::unique_ptr<Form1> form;
    std::vector<std::string> errors, saveFailures, openFailures;
    int pictures = 0;  // pictures drawn since the window started
};

}  // namespace ts::testing
