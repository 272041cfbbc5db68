// Reference counting of the objects a device creates.

#include "d3d8/device.h"

#include "d3d8/resources.h"

namespace zep::d3d {

DeviceChild::DeviceChild(Device* device, bool hostDefaultPool, bool holdsDevice)
    : device_(device), hostDefaultPool_(hostDefaultPool), holdsDevice_(holdsDevice) {
    if (holdsDevice_) device_->AddRef();
    if (hostDefaultPool_) device_->resourceCreated();
}

DeviceChild::~DeviceChild() = default;

ULONG DeviceChild::addRefChild() {
    // Handed out again by the device (GetTexture on an object the host had
    // released while bound): the host's hold on the device comes back too.
    if (refs_ == 0) {
        if (holdsDevice_) device_->AddRef();
        if (hostDefaultPool_) device_->resourceCreated();
    }
    return ++refs_;
}

ULONG DeviceChild::releaseChild() {
    if (refs_ == 0) return 0;
    if (--refs_ > 0) return refs_;
    Device* device = device_;
    if (hostDefaultPool_) device->resourceReleased();
    // Still bound: the device deletes it when it lets go.
    const bool holdsDevice = holdsDevice_;
    if (binds_ == 0) delete this;
    if (holdsDevice) device->Release();
    return 0;
}

void DeviceChild::bind() { ++binds_; }

void DeviceChild::unbind() {
    if (binds_ == 0) return;
    if (--binds_ == 0 && refs_ == 0) delete this;
}

}  // namespace zep::d3d
