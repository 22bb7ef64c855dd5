// The six settings the cycle runs on, as the operator typed them.
#pragma once

#include "platform/text.h"

namespace cycle {

using platform::Text;

struct Settings {
  Text login_url;
  Text collect_url;
  Text channel_html_url;
  Text home_html_url;
  Text round_minutes;
  Text interval_minutes;

  bool AnyEmpty() const {
    return login_url.empty() || collect_url.empty() || channel_html_url.empty() ||
           home_html_url.empty() || round_minutes.empty() || interval_minutes.empty();
  }
  bool operator==(const Settings& other) const {
    return login_url == other.login_url && collect_url == other.collect_url &&
           channel_html_url == other.channel_html_url && home_html_url == other.home_html_url &&
           round_minutes == other.round_minutes && interval_minutes == other.interval_minutes;
  }
};

}  // namespace cycle
