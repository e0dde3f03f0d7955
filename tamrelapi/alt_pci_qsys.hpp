#pragma once
// CALT_PCI_QSYS: the second-generation board's PCIe core: its register windows, SPI masters,
// flash user data, Nios text exchange and GPS text. Every member needs an opened
// second-generation board.
//
// GPS text: the board receives the GPS receiver's text into a FIFO of its own. The caller asks
// how many bytes wait, then takes them:
//   unsigned n = 0;
//   gc_AltPciQSys.String_Recevie_From_GPS_RxCount(n);
//   gc_AltPciQSys.String_Recevie_From_GPS_Data(buffer, n);
//
// Stateless: members forward to the back-end and may be called from any thread.

class CALT_PCI_QSYS {
public:
    // The number of GPS bytes the board has received and not yet handed over.
    unsigned String_Recevie_From_GPS_RxCount(unsigned& count) const;
    // Moves up to `count` of the waiting GPS bytes, oldest first, into `buffer`; fewer when fewer
    // wait. The rest of the buffer is left as it was. `count` 0 does nothing; a null buffer with
    // a count is refused.
    unsigned String_Recevie_From_GPS_Data(unsigned char* buffer, unsigned count) const;
};

extern CALT_PCI_QSYS gc_AltPciQSys;
