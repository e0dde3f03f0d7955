#include "boarddiag/board/wdc_diag_lib.hpp"

namespace {

unsigned long ul(UINT64 value) { return static_cast<unsigned long>(value); }

}  // namespace

void WDC_DIAG_PciDeviceInfoPrint(const WD_PCI_SLOT* slot, std::FILE* stream) {
    if (slot == nullptr) {
        std::fprintf(stream, "WDC_DIAG_PciDeviceInfoPrint: Error - NULL PCI slot pointer\n");
        return;
    }
    std::fprintf(stream, "    Location: ");
    std::fprintf(stream, "Bus 0x%lx, Slot 0x%lx, Function 0x%lx\n", ul(slot->dwBus),
                 ul(slot->dwSlot), ul(slot->dwFunction));
    WD_PCI_CARD_INFO info{};
    info.pciSlot = *slot;
    const DWORD status = WDC_PciGetDeviceInfo(&info);
    if (status != WD_STATUS_SUCCESS && status != WD_NO_RESOURCES_ON_DEVICE) {
        std::fprintf(stream,
                     "    Failed retrieving PCI resources information.\n    Error 0x%lx - %s\n",
                     ul(status), Stat2Str(status));
        return;
    }
    WDC_DIAG_DeviceResourcesPrint(stream, &info.Card);
}

void WDC_DIAG_DeviceResourcesPrint(std::FILE* stream, const WD_CARD* card) {
    if (card == nullptr) {
        std::fprintf(stream, "WDC_DIAG_DeviceResourcesPrint: Error - NULL card pointer\n");
        return;
    }
    bool printed = false;
    for (DWORD i = 0; i < card->dwItems && i < WD_CARD_ITEMS; ++i) {
        const WD_ITEMS& item = card->Item[i];
        switch (item.item) {
            case ITEM_INTERRUPT: {
                const DWORD options = item.Int.dwOptions;
                std::fprintf(stream, "    Interrupt: IRQ %ld\n",
                             static_cast<long>(item.Int.dwInterrupt));
                std::fprintf(stream, "    Interrupt Options (supported interrupts):\n");
                if ((options & (INTERRUPT_MESSAGE | INTERRUPT_MESSAGE_X)) != 0) {
                    std::fprintf(stream, "        %s\n",
                                 (options & INTERRUPT_MESSAGE_X) != 0
                                     ? "Extended Message-Signaled Interrupt (MSI-X)"
                                     : "Message-Signaled Interrupt (MSI)");
                }
                if ((options & INTERRUPT_LEVEL_SENSITIVE) != 0) {
                    std::fprintf(stream, "        %s\n", "Level-Sensitive Interrupt");
                } else if ((options & (INTERRUPT_MESSAGE | INTERRUPT_MESSAGE_X)) == 0) {
                    std::fprintf(stream, "        %s\n", "Edge-Triggered Interrupt");
                }
                printed = true;
                break;
            }
            case ITEM_MEMORY:
                std::fprintf(stream, "    Memory range [BAR %ld]: base 0x%lX, size 0x%lX\n",
                             static_cast<long>(item.Mem.dwBar), ul(item.Mem.pPhysicalAddr),
                             ul(item.Mem.qwBytes));
                printed = true;
                break;
            case ITEM_IO:
                std::fprintf(stream, "    I/O range [BAR %ld]: base 0x%lX, size 0x%lX\n",
                             static_cast<long>(item.IO.dwBar), ul(item.IO.pAddr),
                             ul(item.IO.dwBytes));
                printed = true;
                break;
            case ITEM_BUS:
                break;
            default:
                std::fprintf(stream, "    Invalid item type (0x%lx)\n", ul(item.item));
                break;
        }
    }
    if (!printed) std::fprintf(stream, "    Device has no resources\n");
}
