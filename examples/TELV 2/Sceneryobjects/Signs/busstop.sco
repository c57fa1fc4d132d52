[description]
bus stop pole with timetable

[mesh]
model\main.mesh

[collision_mesh]
model\collision.mesh
