// A ViewRequests double that records every request as a line of text and keeps a busy
// depth clamped at 0, as the real views do.
#pragma once

#include <string>
#include <vector>

#include "model/store.h"
#include "model/view_requests.h"

namespace testing_support {

class RecordingViews : public model::ViewRequests {
 public:
  void InsertTabEntry(std::int32_t index, const std::string& name) override {
    log.push_back("tab " + std::to_string(index) + " " + name);
  }
  void SetTabPicture(std::int32_t index, std::int32_t picture) override {
    log.push_back("tabpic " + std::to_string(index) + " " + std::to_string(picture));
  }
  void InsertItemNode(model::Item& item) override {
    log.push_back("insert " + std::string(item.ID()));
    item.TreeNode = static_cast<model::NodeHandle>(item.Seq()) + 1000;
  }
  void RefreshItemNode(const model::Item& item) override {
    log.push_back("refresh " + std::string(item.ID()));
  }
  void RebuildTree(std::int32_t index) override {
    log.push_back("rebuild " + std::to_string(index));
  }
  void AdjustBusy(std::int32_t delta) override {
    busy += delta;
    if (busy < 0) busy = 0;
    max_busy = busy > max_busy ? busy : max_busy;
  }

  std::vector<std::string> log;
  int busy = 0;
  int max_busy = 0;
};

}  // namespace testing_support
