[description]
stop sign

[mesh]
model\main.mesh

[collision_mesh]
model\collision.mesh
