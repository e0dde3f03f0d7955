#pragma once
// CALT_PCI_QSYS: the second-generation board's PCIe core: its register windows, SPI masters,
// flash user data, Nios text exchange and GPS text. No operations yet.
//
// Stateless: members forward to the back-end and may be called from any thread.

class CALT_PCI_QSYS {};

extern CALT_PCI_QSYS gc_AltPciQSys;
