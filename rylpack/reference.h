// Reference systems, projection types and axis types shared by the image
// framework and the geometry routines.
#pragma once

// Reference systems in which coordinates are given (0: none).
enum ReferenceSystem : int {
  IO_NoRSys = 0,
  IO_Array = 1,
  IO_Image = 2,
  IO_Center = 3,
  IO_Region = 4,
  IO_Real = 5,
  IO_Normal = 6,
  IO_Tangens = 7,
  IO_Vilo = 8,
};

// Projection types of an image (0: unknown).
enum ProjectionType : int { IO_NoPro = 0, IO_ProVilo = 1, IO_ProWaxs = 2 };

// Axis types of the image coordinates (0: none).
enum AxisType : int {
  IO_NoAxisType = 0,
  IO_AxisTypeDistance = 1,
  IO_AxisTypeAngle = 2,
  IO_AxisTypeNumerator = 3,
};

// Version line of the reference-system routines.
const char *reference_version();
