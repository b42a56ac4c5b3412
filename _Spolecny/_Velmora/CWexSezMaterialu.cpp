#include "CWexSezMaterialu.h"

CWexSezMaterialu::~CWexSezMaterialu()
{
    // Destroy the materials while the catalog's own fields are still alive: a material
    // that dies reports the change to its owner.
    m_materials.clear();
}
