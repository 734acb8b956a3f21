// The placement rule and the hit-test maps over any sizes, cursors, work
// areas and codes, the ends of the int range included: no arithmetic
// overflows (UndefinedBehaviorSanitizer), a window that fits its work area
// lies inside it, one that does not sits on its left or top edge, and a map
// answers with its first matching pair.
//
// Input: width, height, cursor x and y, the four edges (4 bytes each,
// little-endian), a flag byte (bit 0: no work area), a code, then pairs of
// codes for the map.
#include "fuzz_support.h"

#include <climits>

#include "ui/placement.h"

namespace {

int TakeInt(FuzzInput *input) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value |= static_cast<uint32_t>(input->TakeByte()) << (8 * i);
  }
  int result;
  memcpy(&result, &value, sizeof result);
  return result;
}

// One axis: the position centred on the cursor (the near part the smaller
// half), then moved inside [nearEdge, farEdge] where the window fits.
void CheckAxis(int size, int cursor, int placed, const int *nearEdge, const int *farEdge) {
  const long long centred = static_cast<long long>(cursor) - size / 2;
  if (nearEdge == nullptr) {
    const long long held = centred > INT_MAX ? INT_MAX : centred < INT_MIN ? INT_MIN : centred;
    FUZZ_CHECK(placed == held);
    return;
  }
  const long long room = static_cast<long long>(*farEdge) - *nearEdge;
  if (size < 0 || room < 0) {
    return; // no window and no area: any position in range will do
  }
  if (size > room) {
    FUZZ_CHECK(placed == *nearEdge);
  } else {
    FUZZ_CHECK(placed >= *nearEdge && static_cast<long long>(placed) + size <= *farEdge);
    if (centred >= *nearEdge && centred + size <= *farEdge) {
      FUZZ_CHECK(placed == centred);
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > kFuzzMaxText) {
    return 0;
  }
  FuzzInput input{data, size};
  const int width = TakeInt(&input), height = TakeInt(&input);
  const ScreenPoint cursor = {TakeInt(&input), TakeInt(&input)};
  ScreenRect area;
  area.left = TakeInt(&input);
  area.top = TakeInt(&input);
  area.right = TakeInt(&input);
  area.bottom = TakeInt(&input);
  const bool noArea = (input.TakeByte() & 1) != 0;

  const ScreenPoint at = PlaceCentredOnCursor(width, height, cursor, noArea ? nullptr : &area);
  CheckAxis(width, cursor.x, at.x, noArea ? nullptr : &area.left, noArea ? nullptr : &area.right);
  CheckAxis(height, cursor.y, at.y, noArea ? nullptr : &area.top, noArea ? nullptr : &area.bottom);

  const int code = TakeInt(&input);
  std::vector<HitTestPair> map;
  while (input.size > 0) {
    HitTestPair pair;
    pair.from = static_cast<int8_t>(input.TakeByte());
    pair.to = TakeInt(&input);
    map.push_back(pair);
  }
  const int count = static_cast<int>(map.size());
  int answer = 0;
  const bool mapped = MapHitTestCode(map.empty() ? nullptr : map.data(), count, code, &answer);
  int expected = code;
  bool found = false;
  for (const HitTestPair &pair : map) {
    if (!found && pair.from == code) {
      expected = pair.to;
      found = true;
    }
  }
  FUZZ_CHECK(mapped == found && answer == expected);
  // A count below 1 matches nothing.
  FUZZ_CHECK(!MapHitTestCode(map.empty() ? nullptr : map.data(), -count, code, &answer));
  FUZZ_CHECK(answer == code);
  FUZZ_CHECK(CaptionHitTestCode(code) == (code == kHitClient ? kHitCaption : code));
  return 0;
}
