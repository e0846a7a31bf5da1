// HRESULT-shaped status codes. Stands in for the Windows HRESULT type: the
// framework throws and reports on these values, so they keep the Windows numbers.
#pragma once
#include <cstdint>

namespace host {

using HResult = std::int32_t;

constexpr HResult S_OK = 0;
constexpr HResult S_FALSE = 1;
constexpr HResult E_FAIL = static_cast<HResult>(0x80004005u);
constexpr HResult E_INVALIDARG = static_cast<HResult>(0x80070057u);
constexpr HResult E_ACCESSDENIED = static_cast<HResult>(0x80070005u);
constexpr HResult E_OUTOFMEMORY = static_cast<HResult>(0x8007000Eu);
constexpr HResult E_NOTIMPL = static_cast<HResult>(0x80004001u);
constexpr HResult E_POINTER = static_cast<HResult>(0x80004003u);
constexpr HResult E_ABORT = static_cast<HResult>(0x80004004u);
constexpr HResult E_UNEXPECTED = static_cast<HResult>(0x8000FFFFu);
constexpr HResult DXGI_ERROR_DEVICE_REMOVED = static_cast<HResult>(0x887A0005u);
constexpr HResult DXGI_ERROR_DEVICE_HUNG = static_cast<HResult>(0x887A0006u);
constexpr HResult DXGI_ERROR_DEVICE_RESET = static_cast<HResult>(0x887A0007u);
constexpr HResult DXGI_ERROR_NOT_FOUND = static_cast<HResult>(0x887A0002u);
constexpr HResult DXGI_ERROR_INVALID_CALL = static_cast<HResult>(0x887A0001u);
constexpr HResult DXGI_ERROR_UNSUPPORTED = static_cast<HResult>(0x887A0004u);
constexpr HResult DXGI_ERROR_DRIVER_INTERNAL_ERROR = static_cast<HResult>(0x887A0020u);
constexpr HResult XAUDIO2_E_INVALID_CALL = static_cast<HResult>(0x88960001u);
constexpr HResult XAUDIO2_E_DEVICE_INVALIDATED = static_cast<HResult>(0x88960004u);

constexpr bool succeeded(HResult hr) { return hr >= 0; }
constexpr bool failed(HResult hr) { return hr < 0; }

}  // namespace host
