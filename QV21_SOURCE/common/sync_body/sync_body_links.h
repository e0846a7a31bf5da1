// Followers that hang on rigid bodies as their sync body are plain pointers on
// both sides; a follower that goes away unhooks itself from every body that
// still names it, so no body calls into a deleted object.
#pragma once

namespace rk::rigidbody {
class ISyncBody;
}

namespace common {

// Every registered body whose sync body is `follower` gets none.
void clearSyncBodyEverywhere(const rk::rigidbody::ISyncBody* follower);

}  // namespace common
