// A panel's place in a connection: its member of the register-refresh chain and its connection
// observer. The place is left when the panel goes, so a connection that outlives the panel never
// calls into it. The connection must outlive the membership (the window and the tests make it first).
#pragma once

#include "acquisition/ConnectionObserver.h"
#include "acquisition/LinkLifecycle.h"
#include "acquisition/RegisterRefreshChain.h"

namespace mirvo {

class LinkMembership {
 public:
  LinkMembership() = default;
  LinkMembership(const LinkMembership&) = delete;
  LinkMembership& operator=(const LinkMembership&) = delete;
  ~LinkMembership() { Leave(); }

  void Join(LinkLifecycle& lifecycle, RegisterRefreshChain::Rank rank, IRegisterRefresh& refresh,
            IConnectionObserver* observer) {
    Leave();
    lifecycle_ = &lifecycle;
    refresh_ = &refresh;
    observer_ = observer;
    lifecycle.RefreshChain().Join(rank, refresh);
    if (observer != nullptr) lifecycle.AddObserver(*observer);
  }
  void Leave() {
    if (lifecycle_ == nullptr) return;
    lifecycle_->RefreshChain().Leave(*refresh_);
    if (observer_ != nullptr) lifecycle_->RemoveObserver(*observer_);
    lifecycle_ = nullptr;
  }
  LinkLifecycle* Lifecycle() const { return lifecycle_; }

 private:
  LinkLifecycle* lifecycle_ = nullptr;
  IRegisterRefresh* refresh_ = nullptr;
  IConnectionObserver* observer_ = nullptr;
};

}  // namespace mirvo
