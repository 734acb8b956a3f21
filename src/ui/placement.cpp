#include "ui/placement.h"

#include <climits>

namespace {

int ClampToInt(long long value) {
  if (value > INT_MAX) {
    return INT_MAX;
  }
  if (value < INT_MIN) {
    return INT_MIN;
  }
  return static_cast<int>(value);
}

// One axis of the placement: centre on the cursor, then the far limit, then
// the near one, so the near edge wins when the window does not fit.
long long PlaceOnAxis(long long size, long long cursor, const int *nearEdge, const int *farEdge) {
  long long start = cursor + size / -2; // truncates toward zero
  if (nearEdge == nullptr || farEdge == nullptr) {
    return start;
  }
  if (start + size > *farEdge) {
    start = *farEdge - size;
  }
  if (start < *nearEdge) {
    start = *nearEdge;
  }
  return start;
}

const HitTestPair kCaptionMap[] = {{kHitClient, kHitCaption}};

} // namespace

ScreenPoint PlaceCentredOnCursor(int width, int height, ScreenPoint cursor,
                                 const ScreenRect *workArea) {
  const bool clamp = workArea != nullptr;
  const long long x = PlaceOnAxis(width, cursor.x, clamp ? &workArea->left : nullptr,
                                  clamp ? &workArea->right : nullptr);
  const long long y = PlaceOnAxis(height, cursor.y, clamp ? &workArea->top : nullptr,
                                  clamp ? &workArea->bottom : nullptr);
  return ScreenPoint{ClampToInt(x), ClampToInt(y)};
}

bool MapHitTestCode(const HitTestPair *map, int count, int code, int *answer) {
  for (int i = 0; map != nullptr && i < count; ++i) {
    if (map[i].from == code) {
      *answer = map[i].to;
      return true;
    }
  }
  *answer = code;
  return false;
}

int CaptionHitTestCode(int code) {
  int answer = code;
  MapHitTestCode(kCaptionMap, 1, code, &answer);
  return answer;
}
