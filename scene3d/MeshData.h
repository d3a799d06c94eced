#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scene2d/Persistent.h"

// One vertex of a mesh: position, normal, texture coordinates (32 bytes).
struct TscMeshVertex {
  float X = 0, Y = 0, Z = 0;
  float NX = 0, NY = 0, NZ = 0;
  float U = 0, V = 0;
  friend bool operator==(const TscMeshVertex&, const TscMeshVertex&) = default;
};
static_assert(sizeof(TscMeshVertex) == 32);

// Triangles over a vertex array, three 16-bit indices each. Streamed as the
// binary "Mesh": vertex count, vertices, index count, indices (little-endian).
class TscMeshData : public TuiPersistent {
  UX_CLASS(TscMeshData, TuiPersistent)
 public:
  std::vector<TscMeshVertex> Vertices;
  std::vector<uint16_t> Indices;

  void Assign(const TscMeshData& Source);
  // Each normal becomes the sum of the unit normals of the triangles that
  // share its vertex; the sum is not normalised again, lighting does that.
  void CalcNormals();
  // Raises OnChanged; callers that edit the arrays directly call it.
  void Changed();

  TuiBinary MeshBytes() const;
  // Raises EuxReadError "Invalid stream format" for data whose counts do not
  // match its length; the mesh is then left as it was.
  void SetMeshBytes(const TuiBinary& Value);

  // The text views: numbers separated by blanks, records by two blanks.
  std::string PointsText() const;
  std::string NormalsText() const;
  std::string TexCoordinatesText() const;
  std::string TriangleIndicesText() const;

  std::function<void()> OnChanged;

  static void DefineProperties(TuiClassBuilder<TscMeshData>& C);
};

// The unit quad in the X/Y plane, centred, texture upright: what a screen-
// projected layer draws its buffer with, scaled to its pixel size.
const TscMeshData& scScreenQuad();
