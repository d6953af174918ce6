// The view contract run against the simulated views, once with notifications that carry
// item data and once with notifications that make the listener ask the tree for it.
#include <memory>

#include "tests/contract/view_contract_suite.h"
#include "view/sim/sim_views.h"

namespace {

using view::contract::ViewBackend;
using view::contract::ViewContract;
using view::contract::ViewPair;

ViewPair MakeSim(bool notify_param) {
  ViewPair views;
  auto desktop = std::make_unique<view::sim::SimDesktop>();
  auto dialog = std::make_unique<view::sim::SimDialog>(*desktop);
  dialog->Tree()->SetNotifyCarriesParam(notify_param);
  views.desktop = std::move(desktop);
  views.dialog = std::move(dialog);
  return views;
}

INSTANTIATE_TEST_SUITE_P(Sim, ViewContract,
                         ::testing::Values(ViewBackend{"Sim", [] { return MakeSim(true); }},
                                           ViewBackend{"SimWithoutParams",
                                                       [] { return MakeSim(false); }}),
                         view::contract::BackendName);

}  // namespace
