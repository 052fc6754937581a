#pragma once

namespace tarvo {

// The identity under which hosts create and call the component. The class keeps its identifier
// across builds and still answers the earlier build's interface, so hosts built against either
// build keep working.
inline constexpr char kProgId[] = "TarvoArchive.ITarvoArchive";
inline constexpr char kClassId[] = "{6f0b7d1e-3c55-4e0a-9a3e-2b8d5c1f7a41}";
inline constexpr char kInterfaceId[] = "{a4c2e9b3-71d0-4f6b-8e25-9c3b0d4f1e72}";
inline constexpr char kEarlierInterfaceId[] = "{2d7e5a90-4b1c-4c83-a6f4-e1b8c3d20f95}";
inline constexpr char kCtlBankProgId[] = "TarvoArchive.ctlBank";
inline constexpr char kCtlAaBankProgId[] = "TarvoArchive.ctlAA_Bank";
#ifdef TARVOARCHIVE_EARLIER_BUILD
// The earlier build's default interface is the one the later build still answers beside its
// own; its controls were registered under class ids of their own.
inline constexpr char kTypeLibraryVersion[] = "1.0";
inline constexpr char kCtlBankClassId[] = "{0b6e92d4-1f37-4a58-8c09-5d2e7f31a6c4}";
inline constexpr char kCtlAaBankClassId[] = "{e47a1c08-93b5-4d2f-a6e1-2c9f80b3d517}";
#else
inline constexpr char kTypeLibraryVersion[] = "1.1";
inline constexpr char kCtlBankClassId[] = "{c81f3e27-5d6a-4b90-b4e1-7a2f9d0c6e38}";
inline constexpr char kCtlAaBankClassId[] = "{5e93b1c4-0a2d-47f8-9b6e-d3c8a1f47b20}";
#endif

// Dispatch ids of the members of the public interface, for hosts that call by number.
enum DispatchId : unsigned {
    DISPID_Show = 0x60030000,
    DISPID_Business = 0x68030001,
    DISPID_ShowModeless = 0x60030002,
    DISPID_Login = 0x60030003,
    DISPID_LogOff = 0x60030004,
};

} // namespace tarvo
