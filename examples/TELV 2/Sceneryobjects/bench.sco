[description]
park bench, wood

[mesh]
model\main.mesh

[collision_mesh]
model\collision.mesh
