// What the label tests start from: a new drawing made the working one, the label
// command's state with the default settings at 1:100 in millimetres, and what the module
// prints collected.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "headless/ads/session.h"
#include "host/dbdatabase.h"
#include "label/command/label_state.h"

class LabelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<AcDbDatabase>(true);
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    qd::ads::printSink() = [this](const std::u16string& s) { printed += s; };
    state = std::make_unique<qd::label::label_state>();
    state->settings.set_defaults();
    state->settings.current_kind = 0;
    std::copy_n(u"1:100", 6, state->settings.scale);
    state->settings.unit_factor = 1;
  }
  void TearDown() override {
    state.reset();
    qd::ads::printSink() = [](const std::u16string&) {};
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }

  std::unique_ptr<AcDbDatabase> db;
  std::unique_ptr<qd::label::label_state> state;
  std::u16string printed;
};
