// A fixture base for unit tests of page automation: an in-memory page attached
// to a PageAutomation that holds the only reference to it.
#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "pageauto/page_automation.h"
#include "tests/support/fake_dom.h"
#include "tests/support/fake_window_tree.h"

namespace test_support {

class AttachedPage {
 protected:
  void Attach() { ASSERT_TRUE(page_.AttachDocument(dom_->Document())); }

  std::shared_ptr<FakeDom> dom_ = std::make_shared<FakeDom>();
  FakeWindowTree windows_;
  pageauto::PageAutomation page_{windows_};
};

}  // namespace test_support
