#include "common/sync_body/sync_body_links.h"

#include "rigidbody/rk_rigidbody.h"
#include "rigidbody/rk_rigidbody_manager.h"

namespace common {

void clearSyncBodyEverywhere(const rk::rigidbody::ISyncBody* follower) {
  rk::rigidbody::RigidBodyManager* manager = rk::rigidbody::RigidBodyManager::findInstance();
  if (!manager || !follower) return;
  for (rk::rigidbody::RigidBody* body : manager->bodies())
    if (body->getSyncBody() == follower) body->setSyncBody(nullptr);
}

}  // namespace common
