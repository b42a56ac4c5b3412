#include "PipeTables.h"

const DnRow g_dnTable[kDnCount] = {
    {u"DN 8", 8.0f, 10},       {u"DN 10", 10.0f, 16},     {u"DN 12", 12.0f, 18},
    {u"DN 15", 15.0f, 20},     {u"DN 20", 20.0f, 25},     {u"DN 25", 25.0f, 32},
    {u"DN 32", 32.0f, 40},     {u"DN 40", 40.0f, 50},     {u"DN 50", 50.0f, 63},
    {u"DN 65", 65.0f, 75},     {u"DN 80", 80.0f, 90},     {u"DN 100", 100.0f, 110},
    {u"DN 125", 125.0f, 125},  {u"DN 150", 150.0f, 160},  {u"DN 200", 200.0f, 200},
    {u"DN 225", 225.0f, 225},  {u"DN 250", 250.0f, 250},  {u"DN 300", 300.0f, 315},
    {u"DN 350", 350.0f, 350},  {u"DN 400", 400.0f, 400},  {u"DN 450", 450.0f, 450},
    {u"DN 500", 500.0f, 500},  {u"DN 600", 600.0f, 600},  {u"DN 700", 700.0f, 700},
    {u"DN 800", 800.0f, 800},  {u"DN 900", 900.0f, 900},  {u"DN 1000", 1000.0f, 1000},
    {u"DN 1200", 1200.0f, 1200},
};

const PnRow g_pnTable[kPnCount] = {
    {u"---", 0}, {u"PN 6", 6}, {u"PN 10", 10}, {u"PN 16", 16},
    {u"PN 25", 25}, {u"PN 40", 40}, {u"PN 63", 63},
};

const SdrRow g_sdrTable[kSdrCount] = {
    {u"---", 0.0f},    {u"SDr 6", 6.0f},   {u"SDr 7.4", 7.4f}, {u"SDr 9", 9.0f},
    {u"SDr 11", 11.0f}, {u"SDr 13.6", 13.6f}, {u"SDr 17", 17.0f}, {u"SDr 17.6", 17.6f},
};

const char16_t* DnLabel(std::int32_t index)
{
    return IsValidDn(index) ? g_dnTable[index].label : u"DN ?";
}

const char16_t* PnLabel(std::int32_t index)
{
    return IsValidPn(index) ? g_pnTable[index].label : u"---";
}

const char16_t* SdrLabel(std::int32_t index)
{
    return IsValidSdr(index) ? g_sdrTable[index].label : u"---";
}
