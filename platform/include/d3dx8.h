/* D3DX 8, Direct3D 8's utility library, for the Linux build.
 *
 * One include for all of it, as on Windows: Direct3D 8 itself and the D3DX
 * parts the engine calls. The parts are our own code and behave as D3DX 8
 * documents them. C++ only, because <d3d8.h> is. */
#ifndef ZEP_PLATFORM_D3DX8_H
#define ZEP_PLATFORM_D3DX8_H

#include <d3d8.h>
#include <d3dx8math.h>   /* vectors, matrices, quaternions, planes, colours, picking */
#include <d3dx8tex.h>    /* textures and surfaces from files and memory, error texts */
#include <d3dx8effect.h> /* effects from text, the vs.1.x / ps.1.x assembler */

#endif /* ZEP_PLATFORM_D3DX8_H */
