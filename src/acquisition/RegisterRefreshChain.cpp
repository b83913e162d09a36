#include "acquisition/RegisterRefreshChain.h"

#include <algorithm>

namespace mirvo {

void RegisterRefreshChain::Join(Rank rank, IRegisterRefresh& member) {
  const auto after = std::upper_bound(members_.begin(), members_.end(), rank,
                                      [](Rank r, const Member& m) { return r < m.rank; });
  members_.insert(after, Member{rank, &member});
}

void RegisterRefreshChain::Leave(IRegisterRefresh& member) {
  std::erase_if(members_, [&](const Member& m) { return m.member == &member; });
}

void RegisterRefreshChain::RefreshAll() {
  // A copy: a member may join or leave while being refreshed.
  const std::vector<Member> members = members_;
  for (const Member& m : members) m.member->RefreshFromImage();
}

}  // namespace mirvo
