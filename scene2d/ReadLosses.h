#pragma once

#include <string>
#include <string_view>
#include <vector>

class TuiComponent;

// Stored values that do not convert fall back to something harmless (a colour
// to 0, a point to (0, 0), an image to an empty one) so that one bad value
// does not stop a window from loading. The fallback is silent for the program;
// a tool that checks a layout wants to hear of each one. The places that take
// a fallback report it here, and whoever wants to know collects the reports
// for a while on the current thread.

struct TuiReadLoss {
  std::string Object;    // dotted names from the outermost object read, or empty
  std::string Property;  // the property path as stored, or empty
  std::string What;      // "'nonsense' is not a colour"
};

// Collects the losses reported on this thread while it lives; collectors
// nest, the innermost one gets the reports.
class TuiLossCollector {
 public:
  TuiLossCollector();
  ~TuiLossCollector();
  TuiLossCollector(const TuiLossCollector&) = delete;
  TuiLossCollector& operator=(const TuiLossCollector&) = delete;

  const std::vector<TuiReadLoss>& Losses() const { return FLosses; }

 private:
  friend void uxReportLoss(std::string_view What);
  TuiLossCollector* FOuter;
  std::vector<TuiReadLoss> FLosses;
};

// Tags the losses reported while it lives with the object and property being
// read. Object must outlive it.
class TuiLossContext {
 public:
  TuiLossContext(const TuiComponent& Object, std::string_view Property);
  ~TuiLossContext();
  TuiLossContext(const TuiLossContext&) = delete;
  TuiLossContext& operator=(const TuiLossContext&) = delete;

 private:
  friend void uxReportLoss(std::string_view What);
  const TuiComponent& FObject;
  std::string_view FProperty;
  const TuiLossContext* FOuter;
};

// Called where a fallback is taken; nothing happens without a collector.
void uxReportLoss(std::string_view What);
// Text quoted for a report: "'text'", cut short when long, with anything
// unprintable as "?".
std::string uxQuoteForLoss(std::string_view Text);
